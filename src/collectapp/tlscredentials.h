#pragma once

#include <QString>

#include <memory>

namespace Velmora {

// The certificate chain and key HTTPS answers with, read from PEM files. The
// ones in use can be replaced while the server runs (SIGHUP after a renewal):
// a handshake under way keeps the ones it started with.
class TlsCredentials {
public:
    // Reads both files; nothing, with `error` set, when they cannot be used.
    static std::shared_ptr<TlsCredentials> load(const QString &certificateFile,
                                                const QString &keyFile, QString *error);
    ~TlsCredentials();
    TlsCredentials(const TlsCredentials &) = delete;
    TlsCredentials &operator=(const TlsCredentials &) = delete;

    // From now on every new handshake uses `credentials`. Earlier ones are kept
    // for the rest of the run: a handshake may still be using them.
    static void use(std::shared_ptr<TlsCredentials> credentials);
    // The function libmicrohttpd asks for them (MHD_OPTION_HTTPS_CERT_CALLBACK).
    static void *retrieveFunction();
    // The chain, its length and the key in use; false when there are none.
    static bool current(void **chain, unsigned *length, void **key);

private:
    TlsCredentials() = default;
    struct Data;
    std::unique_ptr<Data> m_data;
};

} // namespace Velmora
