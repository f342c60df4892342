// Answer IDs: made from the kernel's randomness, and told apart.
#include "answerids.h"

#include <QMessageAuthenticationCode>
#include <QStringView>

#include <cerrno>
#include <cstring>
#include <sys/random.h>

namespace Velmora {

quint64 answerIdKey(const QString &id) {
    return QStringView(id).left(16).toULongLong(nullptr, 16);
}

size_t contentOf(const QStringList &typedCells) {
    return qHash(typedCells.mid(1));
}

std::optional<quint64> answerIdOf(const QStringList &record, qsizetype width) {
    if (record.size() != width || record.last().size() != 32)
        return std::nullopt;
    return answerIdKey(record.last());
}

// 128 bits from the kernel's generator, fetched a few kilobytes at a time: one
// system call for every 256 pages served, not one each. (Qt's system generator
// asks the processor, which a virtual machine makes 150 times slower.)
namespace {

QByteArray signature(const QByteArray &key, const QString &pageFile, const QByteArray &nonce) {
    return QMessageAuthenticationCode::hash(pageFile.toUtf8() + '\n' + nonce, key,
                                            QCryptographicHash::Sha256)
        .left(12)
        .toHex();
}

} // namespace

QByteArray receiptFor(const QByteArray &key, const QString &pageFile) {
    const QByteArray nonce = newAnswerId().left(16);
    return nonce + signature(key, pageFile, nonce);
}

bool isReceipt(const QByteArray &key, const QString &pageFile, const QByteArray &receipt) {
    return receipt.size() == 40 && signature(key, pageFile, receipt.left(16)) == receipt.mid(16);
}

QByteArray newAnswerId() {
    constexpr qsizetype Bytes = 16;
    thread_local QByteArray pool;
    thread_local qsizetype used = 0;
    if (used + Bytes > pool.size()) {
        pool.resize(4096);
        for (qsizetype filled = 0; filled < pool.size();) {
            const ssize_t got = ::getrandom(pool.data() + filled, size_t(pool.size() - filled), 0);
            if (got > 0)
                filled += got;
            else if (errno != EINTR)
                qFatal("No randomness from the kernel: %s", strerror(errno));
        }
        used = 0;
    }
    const QByteArray id = pool.mid(used, Bytes).toHex();
    std::fill(pool.begin() + used, pool.begin() + used + Bytes, '\0'); // handed out once
    used += Bytes;
    return id;
}

} // namespace Velmora
