#include "TestCertificates.h"

#include <openssl/ssl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/wait.h>

#ifndef KORVALIN_MAKE_TEST_CERTS
#error "KORVALIN_MAKE_TEST_CERTS must name make_test_certs.sh"
#endif

namespace korvalin::test {
namespace {

struct MadeCertificates : TestCertificates {
    MadeCertificates()
    {
        char pattern[] = "/tmp/korvalin-certs.XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            Error = "mkdtemp failed";
            return;
        }
        Directory = pattern;
        std::string command = std::string(KORVALIN_MAKE_TEST_CERTS) + " '" + Directory + "' 2>&1";
        int status = std::system(command.c_str());
        if (status != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            Error = "make_test_certs.sh failed";
        CaFile = Directory + "/ca.pem";
        OtherCaFile = Directory + "/other-ca.pem";
        CertFile = Directory + "/server.pem";
        KeyFile = Directory + "/server.key";
    }
    ~MadeCertificates()
    {
        if (Context != nullptr)
            SSL_CTX_free(Context);
        std::error_code ignored;
        if (!Directory.empty())
            std::filesystem::remove_all(Directory, ignored);
    }
    mutable std::mutex Mutex;
    mutable SSL_CTX* Context = nullptr;
};

const MadeCertificates& Made()
{
    static MadeCertificates made;
    return made;
}

}  // namespace

const TestCertificates& Certificates()
{
    return Made();
}

SSL_CTX* TestCertificates::ServerContext() const
{
    const MadeCertificates& made = Made();
    std::lock_guard lock(made.Mutex);
    if (made.Context == nullptr && made.Error.empty()) {
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        if (context != nullptr && SSL_CTX_use_certificate_chain_file(context, CertFile.c_str()) == 1 &&
            SSL_CTX_use_PrivateKey_file(context, KeyFile.c_str(), SSL_FILETYPE_PEM) == 1) {
            made.Context = context;
        } else if (context != nullptr) {
            SSL_CTX_free(context);
        }
    }
    return made.Context;
}

ScopedTrust::ScopedTrust(const std::string& file)
{
    if (const char* value = std::getenv("SSL_CERT_FILE")) {
        HadValue = true;
        Saved = value;
    }
    ::setenv("SSL_CERT_FILE", file.c_str(), 1);
}

ScopedTrust::~ScopedTrust()
{
    if (HadValue)
        ::setenv("SSL_CERT_FILE", Saved.c_str(), 1);
    else
        ::unsetenv("SSL_CERT_FILE");
}

}  // namespace korvalin::test
