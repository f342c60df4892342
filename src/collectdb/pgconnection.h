#pragma once

// A libpq connection with every call bounded in time.
#include <QByteArray>
#include <QList>
#include <QString>

#include <libpq-fe.h>

#include <memory>
#include <optional>

namespace Velmora {

// One result of a statement; empty when it failed.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult *result)
        : m_result(result, PQclear) {}

    // Whether the statement did what it was sent for.
    bool ok() const;
    int rows() const { return m_result ? PQntuples(m_result.get()) : 0; }
    QString text(int row, int column) const;
    qint64 number(int row, int column) const;
    bool isNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column); }
    // PostgreSQL's own words on the failure.
    QString error() const;
    // The server refuses to write here (a read-only server, a fenced old
    // primary): another connection, to another host, may do.
    bool refusesWrites() const;

private:
    std::shared_ptr<PGresult> m_result;
};

// A connection to PostgreSQL, given as libpq takes it: a connection string, a
// URI or a service name, with passwords from ~/.pgpass, the service file or the
// environment. Statements block; one thread uses a connection at a time.
class PgConnection {
public:
    explicit PgConnection(QByteArray conninfo)
        : m_conninfo(std::move(conninfo)) {}

    // Connects anew (after a failure too); false with `error` set when it cannot.
    bool connect(QString *error);
    bool connected() const;
    void disconnect() { m_connection.reset(); }

    // A parameter that is nothing is SQL's NULL.
    using Parameter = std::optional<QByteArray>;
    PgResult exec(const QByteArray &sql, const QList<Parameter> &parameters = {});
    // Statements that must all succeed, or the reason of the first that did not.
    bool run(std::initializer_list<QByteArrayView> statements, QString *error);
    // Why the last statement failed, when the connection itself went wrong.
    QString connectionError() const;

    // Whether a connection string holds a password, which belongs in ~/.pgpass
    // rather than on a command line every user can read; `error` says when the
    // string makes no sense.
    static bool holdsPassword(const QByteArray &conninfo, QString *error);

private:
    QByteArray m_conninfo;
    std::unique_ptr<PGconn, void (*)(PGconn *)> m_connection{nullptr, PQfinish};
};

// A text[] literal of `cells`, as PostgreSQL reads it.
QByteArray pgTextArray(QList<QString>::const_iterator begin, QList<QString>::const_iterator end);
QByteArray pgTextArray(const QStringList &cells);

} // namespace Velmora
