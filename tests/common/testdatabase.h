#pragma once

#include "pgconnection.h"

#include <QFile>
#include <QStringList>

#include <atomic>
#include <unistd.h>

// A database of its own for one test, in the throwaway cluster the test
// command starts (scripts/pgcluster.sh); its state folder is given as
// VELMORA_PGCLUSTER_STATE.
class TestDatabase {
public:
    TestDatabase() {
        QFile file(QStringLiteral(VELMORA_PGCLUSTER_STATE "/conninfo"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        m_server = file.readAll().trimmed();
        static std::atomic<int> made = 0;
        m_name =
            "velmora_test_" + QByteArray::number(::getpid()) + '_' + QByteArray::number(++made);
        Velmora::PgConnection server(m_server);
        QString error;
        if (!server.connect(&error) ||
            !server.run({"DROP DATABASE IF EXISTS " + m_name, "CREATE DATABASE " + m_name}, &error))
            m_server.clear();
    }
    ~TestDatabase() {
        if (!isReady())
            return;
        Velmora::PgConnection server(m_server);
        QString error;
        if (server.connect(&error))
            server.run({"DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)",
                        "DROP ROLE IF EXISTS " + role()},
                       &error);
    }
    bool isReady() const { return !m_server.isEmpty(); }
    // libpq's connection string of this database (the last dbname counts).
    QByteArray conninfo() const { return m_server + " dbname=" + m_name; }
    // A role of this test's own (roles belong to the whole cluster), dropped
    // with the database.
    QByteArray role() const { return m_name + "_role"; }
    // The connection string of role(), made with `statements` run on this
    // database, in which "ROLE" stands for its name; empty when that failed.
    QByteArray conninfoAsRole(const QList<QByteArray> &statements) const {
        Velmora::PgConnection connection(conninfo());
        QString error;
        if (!connection.connect(&error) ||
            !connection.run({"CREATE ROLE " + role() + " LOGIN"}, &error))
            return {};
        for (QByteArray statement : statements)
            if (!connection.run({statement.replace("ROLE", role())}, &error))
                return {};
        return conninfo() + " user=" + role();
    }
    // The first column of what `sql` finds, as text.
    QStringList column(const QByteArray &sql) const { return columnAt(conninfo(), sql); }
    // The same on the database `conninfo` names (a standby of this one).
    static QStringList columnAt(const QByteArray &conninfo, const QByteArray &sql) {
        Velmora::PgConnection connection(conninfo);
        QString error;
        QStringList values;
        if (!connection.connect(&error))
            return {QStringLiteral("cannot connect: ") + error};
        const Velmora::PgResult result = connection.exec(sql);
        if (!result.ok())
            return {QStringLiteral("failed: ") + result.error()};
        for (int row = 0; row < result.rows(); ++row)
            values.append(result.text(row, 0));
        return values;
    }
    qint64 number(const QByteArray &sql) const { return column(sql).value(0).toLongLong(); }

private:
    QByteArray m_server;
    QByteArray m_name;
};
