// The TLS tests' certificates (make_test_certs.sh, made once per test binary
// in a temporary directory) and what the in-process peers need of them.
#pragma once

#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace korvalin::test {

struct TestCertificates {
    std::string Directory;
    std::string CaFile;       // trusted by the client in the tests
    std::string OtherCaFile;  // trusted instead, it makes the server's certificate untrusted
    std::string CertFile;     // the server's, for localhost and 127.0.0.1
    std::string KeyFile;
    std::string Error;        // why they could not be made, "" when they were

    // A server context with the certificate and key, shared by all peers.
    SSL_CTX* ServerContext() const;
};

const TestCertificates& Certificates();

// Trust only file (SSL_CERT_FILE) for one test; restored afterwards.
class ScopedTrust {
public:
    explicit ScopedTrust(const std::string& file);
    ~ScopedTrust();
    ScopedTrust(const ScopedTrust&) = delete;
    ScopedTrust& operator=(const ScopedTrust&) = delete;

private:
    bool HadValue = false;
    std::string Saved;
};

}  // namespace korvalin::test
