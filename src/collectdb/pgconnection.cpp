// A libpq connection with every call bounded in time.
#include "pgconnection.h"

#include <cerrno>
#include <poll.h>

#include <vector>

namespace Velmora {

bool PgResult::ok() const {
    if (!m_result)
        return false;
    const ExecStatusType status = PQresultStatus(m_result.get());
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QString PgResult::text(int row, int column) const {
    return QString::fromUtf8(PQgetvalue(m_result.get(), row, column),
                             PQgetlength(m_result.get(), row, column));
}

qint64 PgResult::number(int row, int column) const {
    return QByteArray(PQgetvalue(m_result.get(), row, column)).toLongLong();
}

QString PgResult::error() const {
    if (!m_result)
        return m_why.isEmpty() ? QStringLiteral("no answer from the database") : m_why;
    return QString::fromUtf8(PQresultErrorMessage(m_result.get())).trimmed();
}

bool PgResult::refusesWrites() const {
    const char *state = m_result ? PQresultErrorField(m_result.get(), PG_DIAG_SQLSTATE) : nullptr;
    return state && qstrcmp(state, "25006") == 0; // read_only_sql_transaction
}

bool PgConnection::connect(QString *error) {
    // Nothing waits on the database without end, so that respondents are told
    // to try again rather than held: a connection within 5 s; a network that
    // went silent (a frozen proxy, dropped packets) noticed within about 15 s
    // by TCP keepalives and the kernel's own timeout; a statement within 15 s;
    // a lock (an analyst's LOCK TABLE) within 5 s. The organiser's own
    // settings come later and win; the encoding is ours.
    const char *keys[] = {"connect_timeout",
                          "keepalives",
                          "keepalives_idle",
                          "keepalives_interval",
                          "keepalives_count",
                          "tcp_user_timeout",
                          "options",
                          "application_name",
                          "dbname",
                          "client_encoding",
                          nullptr};
    const char *values[] = {"5",
                            "1",
                            "5",
                            "2",
                            "3",
                            "15000",
                            "-c statement_timeout=15s -c lock_timeout=5s",
                            "velmora-collect",
                            m_conninfo.constData(),
                            "UTF8",
                            nullptr};
    m_connection.reset(PQconnectdbParams(keys, values, 1));
    if (connected()) {
        // Notices ("already exists, skipping") are no news to anyone reading the log.
        PQsetNoticeProcessor(
            m_connection.get(), [](void *, const char *) {}, nullptr);
        return true;
    }
    *error = m_connection ? QString::fromUtf8(PQerrorMessage(m_connection.get())).trimmed()
                          : QStringLiteral("out of memory");
    m_connection.reset();
    return false;
}

bool PgConnection::connected() const {
    return m_connection && PQstatus(m_connection.get()) == CONNECTION_OK;
}

PgResult PgConnection::exec(const QByteArray &sql, const QList<Parameter> &parameters) {
    if (!m_connection)
        return PgResult();
    bool sent = false;
    // Without parameters, a text of several statements may be sent at once.
    if (parameters.isEmpty()) {
        sent = PQsendQuery(m_connection.get(), sql.constData()) == 1;
    } else {
        std::vector<const char *> values;
        std::vector<int> lengths;
        values.reserve(size_t(parameters.size()));
        lengths.reserve(size_t(parameters.size()));
        for (const Parameter &parameter : parameters) {
            values.push_back(parameter ? parameter->constData() : nullptr);
            lengths.push_back(parameter ? int(parameter->size()) : 0);
        }
        sent = PQsendQueryParams(m_connection.get(), sql.constData(), int(parameters.size()),
                                 nullptr, values.data(), lengths.data(), nullptr, 0) == 1;
    }
    if (!sent)
        return PgResult::failed(connectionError());
    return awaitResult();
}

// As PQexec would, but never longer than the connection's time: the first
// failed statement's result, or the last one's.
PgResult PgConnection::awaitResult() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + m_answerWithin;
    m_timedOut = false;
    PgResult last;
    bool failed = false;
    for (;;) {
        while (PQisBusy(m_connection.get())) {
            const int flushing = PQflush(m_connection.get());
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (flushing < 0 || left.count() <= 0 || (m_abandon && *m_abandon)) {
                const QString why = flushing < 0 ? connectionError()
                                    : left.count() <= 0
                                        ? QStringLiteral("the database did not answer within %1 s")
                                              .arg(m_answerWithin.count() / 1000)
                                        : QStringLiteral("the collector is stopping");
                m_timedOut = flushing >= 0 && left.count() <= 0;
                disconnect();
                return PgResult::failed(why);
            }
            pollfd socket{PQsocket(m_connection.get()),
                          short(POLLIN | (flushing == 1 ? POLLOUT : 0)), 0};
            // In slices, so that one abandoned is let go at once.
            const int ready = ::poll(&socket, 1, int(std::min<qint64>(left.count(), 200)));
            if ((ready < 0 && errno != EINTR) || ((socket.revents & (POLLIN | POLLERR | POLLHUP)) &&
                                                  PQconsumeInput(m_connection.get()) == 0)) {
                const QString why = connectionError();
                disconnect();
                return PgResult::failed(why);
            }
        }
        PGresult *next = PQgetResult(m_connection.get());
        if (!next)
            return last;
        if (!failed) {
            last = PgResult(next);
            failed = !last.ok();
        } else {
            PQclear(next);
        }
    }
}

bool PgConnection::run(std::initializer_list<QByteArrayView> statements, QString *error) {
    for (const QByteArrayView statement : statements) {
        const PgResult result = exec(statement.toByteArray());
        if (!result.ok()) {
            *error = result.error();
            return false;
        }
    }
    return true;
}

QString PgConnection::connectionError() const {
    if (!m_connection)
        return QStringLiteral("not connected");
    return QString::fromUtf8(PQerrorMessage(m_connection.get())).trimmed();
}

bool PgConnection::holdsPassword(const QByteArray &conninfo, QString *error) {
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(conninfo.constData(), &message);
    if (!options) {
        *error = message ? QString::fromUtf8(message).trimmed()
                         : QStringLiteral("the connection string makes no sense");
        PQfreemem(message);
        return false;
    }
    bool password = false;
    for (const PQconninfoOption *option = options; option->keyword; ++option)
        password =
            password || (qstrcmp(option->keyword, "password") == 0 && option->val && *option->val);
    PQconninfoFree(options);
    return password;
}

QByteArray pgTextArray(QList<QString>::const_iterator begin, QList<QString>::const_iterator end) {
    QByteArray literal = "{";
    for (auto cell = begin; cell != end; ++cell) {
        if (cell != begin)
            literal += ',';
        literal += '"';
        for (const char c : cell->toUtf8()) {
            if (c == '"' || c == '\\')
                literal += '\\';
            literal += c;
        }
        literal += '"';
    }
    return literal + '}';
}

QByteArray pgTextArray(const QStringList &cells) {
    return pgTextArray(cells.cbegin(), cells.cend());
}

} // namespace Velmora
