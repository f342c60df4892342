#pragma once

// A libpq connection with every call bounded in time.
#include <QByteArray>
#include <QList>
#include <QString>

#include <libpq-fe.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

namespace Velmora {

// One result of a statement; empty when it failed.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult *result)
        : m_result(result, PQclear) {}
    // No result, for `why`.
    static PgResult failed(QString why) {
        PgResult result;
        result.m_why = std::move(why);
        return result;
    }

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
    QString m_why;
};

// A connection to PostgreSQL, given as libpq takes it: a connection string, a
// URI or a service name, with passwords from ~/.pgpass, the service file or the
// environment. Statements block; one thread uses a connection at a time.
class PgConnection {
public:
    explicit PgConnection(QByteArray conninfo,
                          std::chrono::milliseconds answerWithin = std::chrono::seconds(10))
        : m_conninfo(std::move(conninfo))
        , m_answerWithin(answerWithin) {}

    // Connects anew (after a failure too); false with `error` set when it cannot.
    bool connect(QString *error);
    bool connected() const;
    void disconnect() { m_connection.reset(); }

    // A parameter that is nothing is SQL's NULL. A statement the server has
    // not answered within the connection's time (a network that went silent
    // while its sockets stay open, as behind a frozen proxy, where no TCP
    // timeout ever fires) fails, and the connection is closed: the next call
    // connects anew. So does one waiting once the flag given to abandonWhen()
    // is set (by another thread: the collector stopping).
    using Parameter = std::optional<QByteArray>;
    PgResult exec(const QByteArray &sql, const QList<Parameter> &parameters = {});
    void abandonWhen(const std::atomic<bool> *flag) { m_abandon = flag; }
    // Statements that must all succeed, or the reason of the first that did not.
    bool run(std::initializer_list<QByteArrayView> statements, QString *error);
    // Why the last statement failed, when the connection itself went wrong.
    QString connectionError() const;
    // Whether the last statement failed because its time ran out.
    bool timedOut() const { return m_timedOut; }

    // Whether a connection string holds a password, which belongs in ~/.pgpass
    // rather than on a command line every user can read; `error` says when the
    // string makes no sense.
    static bool holdsPassword(const QByteArray &conninfo, QString *error);

private:
    // The last result of what was sent, in `m_answerWithin`.
    PgResult awaitResult();

    QByteArray m_conninfo;
    std::chrono::milliseconds m_answerWithin;
    const std::atomic<bool> *m_abandon = nullptr;
    bool m_timedOut = false;
    std::unique_ptr<PGconn, void (*)(PGconn *)> m_connection{nullptr, PQfinish};
};

// A text[] literal of `cells`, as PostgreSQL reads it.
QByteArray pgTextArray(QList<QString>::const_iterator begin, QList<QString>::const_iterator end);
QByteArray pgTextArray(const QStringList &cells);

} // namespace Velmora
