#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, on a free loopback port, in a
# temporary folder of its own. initdb refuses to run as root, so under root
# (as CI runs) the cluster belongs to the unprivileged user "nobody".
#
#   pgcluster.sh start STATE   makes and starts it; STATE/conninfo says how to reach it
#   pgcluster.sh halt STATE    stops the server, keeping its data (an outage)
#   pgcluster.sh resume STATE  starts it again on the same port
#   pgcluster.sh stop STATE    stops it and removes it
#   pgcluster.sh standby STATE PRIMARY
#                              makes and starts a streaming standby of the
#                              cluster of PRIMARY (a second server to fail over to)
#   pgcluster.sh promote STATE makes that standby a primary
set -euo pipefail

action=$1
state=$(realpath -m "$2")
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
# A working folder the cluster's owner may enter (a root's build folder is not).
cd /tmp

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}

server() {
    local data port
    data=$(cat "$state/data")
    port=$(cat "$state/port")
    as_owner "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 30 "$@" \
        -o "-p $port -k $data -c listen_addresses=127.0.0.1 -c max_connections=300"
}

# A new state folder with a data folder and a free port of its own.
new_state() {
    mkdir -p "$state"
    data=$(mktemp -d /tmp/velmora-pg.XXXXXX)
    [ "$(id -u)" -ne 0 ] || chown nobody "$data"
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    echo "$data" >"$state/data"
    echo "$port" >"$state/port"
    echo "host=127.0.0.1 port=$port user=velmora dbname=postgres" >"$state/conninfo"
}

case $action in
start)
    new_state
    as_owner "$bin/initdb" -D "$data/db" -U velmora --auth=trust -E UTF8 --locale=C.UTF-8 \
        >/dev/null
    server start >/dev/null
    echo "PostgreSQL test cluster on 127.0.0.1:$port in $data"
    ;;
standby)
    primary=$(realpath -m "$3")
    new_state
    as_owner "$bin/pg_basebackup" -D "$data/db" -h 127.0.0.1 -p "$(cat "$primary/port")" \
        -U velmora -R -X stream -c fast
    server start >/dev/null
    ;;
promote)
    as_owner "$bin/pg_ctl" -D "$(cat "$state/data")/db" -w -t 30 promote >/dev/null
    ;;
halt)
    server stop -m fast >/dev/null
    ;;
resume)
    server start >/dev/null
    ;;
stop)
    [ -f "$state/data" ] || exit 0
    server stop -m fast >/dev/null || true
    rm -rf "$(cat "$state/data")"
    rm -f "$state/data" "$state/port" "$state/conninfo"
    ;;
*)
    echo "usage: $0 start|halt|resume|stop|promote STATE, or standby STATE PRIMARY" >&2
    exit 2
    ;;
esac
