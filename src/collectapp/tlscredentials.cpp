#include "tlscredentials.h"

#include <QFile>

#include <gnutls/abstract.h>
#include <gnutls/gnutls.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Velmora {

namespace {

constexpr unsigned MaxChain = 16;

std::mutex inUseMutex;
std::shared_ptr<TlsCredentials> inUse;
std::vector<std::shared_ptr<TlsCredentials>> everUsed;

} // namespace

struct TlsCredentials::Data {
    gnutls_pcert_st chain[MaxChain]{};
    unsigned length = 0;
    gnutls_privkey_t key = nullptr;
};

namespace {

QByteArray readAll(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 (%2)").arg(file.errorString(), path);
        return {};
    }
    return file.readAll();
}

gnutls_datum_t datum(QByteArray &bytes) {
    return {reinterpret_cast<unsigned char *>(bytes.data()), unsigned(bytes.size())};
}

int retrieve(gnutls_session_t, const gnutls_datum_t *, int, const gnutls_pk_algorithm_t *, int,
             gnutls_pcert_st **chain, unsigned int *length, gnutls_privkey_t *key);

// The certificate's public key is the one the private key makes.
bool belongTogether(gnutls_pubkey_t certified, gnutls_privkey_t key) {
    gnutls_pubkey_t made = nullptr;
    if (gnutls_pubkey_init(&made) < 0)
        return false;
    unsigned char madeId[64], certifiedId[64];
    size_t madeSize = sizeof madeId, certifiedSize = sizeof certifiedId;
    const bool same =
        gnutls_pubkey_import_privkey(made, key, 0, 0) >= 0 &&
        gnutls_pubkey_get_key_id(made, GNUTLS_KEYID_USE_SHA256, madeId, &madeSize) >= 0 &&
        gnutls_pubkey_get_key_id(certified, GNUTLS_KEYID_USE_SHA256, certifiedId, &certifiedSize) >=
            0 &&
        madeSize == certifiedSize && std::equal(madeId, madeId + madeSize, certifiedId);
    gnutls_pubkey_deinit(made);
    return same;
}

} // namespace

std::shared_ptr<TlsCredentials> TlsCredentials::load(const QString &certificateFile,
                                                     const QString &keyFile, QString *error) {
    QByteArray certificate = readAll(certificateFile, error);
    if (certificate.isEmpty()) {
        if (error->isEmpty())
            *error = QStringLiteral("The certificate file is empty (%1)").arg(certificateFile);
        return nullptr;
    }
    QByteArray key = readAll(keyFile, error);
    if (key.isEmpty()) {
        if (error->isEmpty())
            *error = QStringLiteral("The key file is empty (%1)").arg(keyFile);
        return nullptr;
    }
    std::shared_ptr<TlsCredentials> credentials(new TlsCredentials);
    credentials->m_data = std::make_unique<Data>();
    Data &data = *credentials->m_data;
    data.length = MaxChain;
    gnutls_datum_t chain = datum(certificate);
    int result =
        gnutls_pcert_list_import_x509_raw(data.chain, &data.length, &chain, GNUTLS_X509_FMT_PEM, 0);
    if (result < 0) {
        data.length = 0;
        *error = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(gnutls_strerror(result)),
                                               certificateFile);
        return nullptr;
    }
    gnutls_datum_t privateKey = datum(key);
    result = gnutls_privkey_init(&data.key);
    if (result >= 0)
        result =
            gnutls_privkey_import_x509_raw(data.key, &privateKey, GNUTLS_X509_FMT_PEM, nullptr, 0);
    key.fill('\0'); // the key's bytes do not linger in memory
    if (result < 0) {
        *error = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(gnutls_strerror(result)), keyFile);
        return nullptr;
    }
    // A renewal cut half-way leaves a new certificate beside the old key: every
    // handshake would then fail. Such a pair is refused, as nginx does.
    if (!belongTogether(data.chain[0].pubkey, data.key)) {
        *error = QStringLiteral("The key does not belong to the certificate (%1, %2)")
                     .arg(keyFile, certificateFile);
        return nullptr;
    }
    return credentials;
}

TlsCredentials::~TlsCredentials() {
    if (!m_data)
        return;
    for (unsigned i = 0; i < m_data->length; ++i)
        gnutls_pcert_deinit(&m_data->chain[i]);
    if (m_data->key)
        gnutls_privkey_deinit(m_data->key);
}

void TlsCredentials::use(std::shared_ptr<TlsCredentials> credentials) {
    std::lock_guard lock(inUseMutex);
    everUsed.push_back(credentials);
    inUse = std::move(credentials);
}

bool TlsCredentials::current(void **chain, unsigned *length, void **key) {
    std::lock_guard lock(inUseMutex);
    if (!inUse)
        return false;
    *chain = inUse->m_data->chain;
    *length = inUse->m_data->length;
    *key = inUse->m_data->key;
    return true;
}

namespace {

int retrieve(gnutls_session_t, const gnutls_datum_t *, int, const gnutls_pk_algorithm_t *, int,
             gnutls_pcert_st **chain, unsigned int *length, gnutls_privkey_t *key) {
    void *currentChain = nullptr;
    void *currentKey = nullptr;
    if (!TlsCredentials::current(&currentChain, length, &currentKey))
        return -1;
    *chain = static_cast<gnutls_pcert_st *>(currentChain);
    *key = static_cast<gnutls_privkey_t>(currentKey);
    return 0;
}

} // namespace

void *TlsCredentials::retrieveFunction() {
    return reinterpret_cast<void *>(&retrieve);
}

} // namespace Velmora
