#include "transport/tls_stream.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

namespace kestrix {

namespace {

// The BIO between OpenSSL and the wrapped stream: its reads and writes are the stream's, and a
// stream's -EAGAIN becomes OpenSSL's "retry".
struct BioState {
    Stream *stream = nullptr;
    int lastErrno = 0;  // the stream's failure behind OpenSSL's SYSCALL error
};

int bioWrite(BIO *bio, const char *data, int count)
{
    auto *state = static_cast<BioState *>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const long n = state->stream->send(data, std::size_t(count));
    if (n >= 0)
        return int(n);
    if (n == -EAGAIN || n == -EWOULDBLOCK)
        BIO_set_retry_write(bio);
    else
        state->lastErrno = int(-n);
    return -1;
}

int bioRead(BIO *bio, char *data, int count)
{
    auto *state = static_cast<BioState *>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const long n = state->stream->recv(data, std::size_t(count));
    if (n >= 0)
        return int(n);
    if (n == -EAGAIN || n == -EWOULDBLOCK)
        BIO_set_retry_read(bio);
    else
        state->lastErrno = int(-n);
    return -1;
}

long bioControl(BIO *, int command, long, void *)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

BIO_METHOD *streamBioMethod()
{
    static BIO_METHOD *method = [] {
        BIO_METHOD *m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "kestrix stream");
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_ctrl(m, bioControl);
        return m;
    }();
    return method;
}

std::string openSslErrors()
{
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text;
}

std::string bioText(BIO *bio)
{
    char *data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    return std::string(data, std::size_t(length > 0 ? length : 0));
}

std::string nameText(const X509_NAME *name)
{
    BIO *bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    std::string text = bioText(bio);
    BIO_free(bio);
    return text;
}

std::string timeText(const ASN1_TIME *time)
{
    BIO *bio = BIO_new(BIO_s_mem());
    ASN1_TIME_print(bio, time);
    std::string text = bioText(bio);
    BIO_free(bio);
    return text;
}

bool isIpAddress(const std::string &host)
{
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1
           || ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

}  // namespace

struct TlsStream::Ssl {
    SSL_CTX *context = nullptr;
    SSL *ssl = nullptr;
    BioState bio;
    ~Ssl()
    {
        SSL_free(ssl);
        SSL_CTX_free(context);
    }
};

std::string colonFingerprint(const std::string &sha256)
{
    std::string text;
    for (std::size_t i = 0; i < sha256.size(); i += 2) {
        if (i)
            text += ':';
        for (std::size_t k = i; k < i + 2 && k < sha256.size(); ++k) {
            const char c = sha256[k];
            text += (c >= 'a' && c <= 'f') ? char(c - 'a' + 'A') : c;
        }
    }
    return text;
}

TlsStream::TlsStream(std::unique_ptr<Stream> inner, const std::string &host)
    : inner_(std::move(inner)), host_(host)
{
}

TlsStream::~TlsStream() = default;

std::unique_ptr<Stream> TlsStream::release()
{
    ssl_.reset();
    established_ = false;
    return std::move(inner_);
}

bool TlsStream::setUp()
{
    ssl_ = std::make_unique<Ssl>();
    failed_ = false;
    error_.clear();
    ERR_clear_error();
    // A context per connection: the trust store is read as the environment says at this moment.
    ssl_->context = SSL_CTX_new(TLS_client_method());
    if (!ssl_->context) {
        error_ = "TLS is not available: " + openSslErrors();
        return false;
    }
    SSL_CTX_set_min_proto_version(ssl_->context, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(ssl_->context);
    // The handshake completes whatever the certificate; the session decides afterwards (a pin
    // may accept what the trust store does not), before anything is sent.
    SSL_CTX_set_verify(ssl_->context, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_mode(ssl_->context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);

    ssl_->ssl = SSL_new(ssl_->context);
    if (!ssl_->ssl) {
        error_ = "TLS is not available: " + openSslErrors();
        return false;
    }
    X509_VERIFY_PARAM *param = SSL_get0_param(ssl_->ssl);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (isIpAddress(host_)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, host_.c_str());
    } else {
        SSL_set1_host(ssl_->ssl, host_.c_str());
        SSL_set_tlsext_host_name(ssl_->ssl, host_.c_str());
    }
    ssl_->bio.stream = inner_.get();
    BIO *bio = BIO_new(streamBioMethod());
    BIO_set_data(bio, &ssl_->bio);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl_->ssl, bio, bio);
    SSL_set_connect_state(ssl_->ssl);
    return true;
}

long TlsStream::outcome(int result, const char *what)
{
    want_ = {};
    const int error = SSL_get_error(ssl_->ssl, result);
    switch (error) {
    case SSL_ERROR_WANT_READ:
        want_.read = true;
        return -EAGAIN;
    case SSL_ERROR_WANT_WRITE:
        want_.write = true;
        return -EAGAIN;
    case SSL_ERROR_ZERO_RETURN:
        return 0;  // the server ended TLS in order
    case SSL_ERROR_SYSCALL:
        if (ssl_->bio.lastErrno != 0) {
            const int code = ssl_->bio.lastErrno;
            ssl_->bio.lastErrno = 0;
            error_ = std::string(what) + ": " + std::strerror(code);
            return -code;
        }
        if (!established_) {
            failed_ = true;
            error_ = std::string("the server closed the connection during the TLS handshake");
            return -ECONNRESET;
        }
        return 0;  // closed without TLS's own close: the end of the data all the same
    default:
        failed_ = true;
        error_ = std::string(what) + ": " + openSslErrors();
        return -EPROTO;
    }
}

int TlsStream::handshake()
{
    if (established_)
        return 0;
    if (failed_)
        return -EPROTO;
    if (!ssl_ && !setUp()) {
        failed_ = true;
        return -EPROTO;
    }
    ERR_clear_error();
    const int result = SSL_connect(ssl_->ssl);
    if (result == 1) {
        established_ = true;
        want_ = {};
        return 0;
    }
    const long answer = outcome(result, "TLS handshake failed");
    if (answer == 0) {
        failed_ = true;
        error_ = "the server closed the connection during the TLS handshake";
        return -ECONNRESET;
    }
    return int(answer);
}

long TlsStream::send(const char *data, std::size_t count)
{
    if (const int step = handshake(); step != 0)
        return step;
    if (count == 0)
        return 0;
    ERR_clear_error();
    std::size_t written = 0;
    const int result = SSL_write_ex(ssl_->ssl, data, count, &written);
    if (result == 1)
        return long(written);
    const long answer = outcome(result, "TLS write failed");
    return answer == 0 ? -EPIPE : answer;
}

long TlsStream::recv(char *data, std::size_t count)
{
    if (const int step = handshake(); step != 0)
        return step;
    ERR_clear_error();
    std::size_t read = 0;
    const int result = SSL_read_ex(ssl_->ssl, data, count, &read);
    if (result == 1)
        return long(read);
    return outcome(result, "TLS read failed");
}

int TlsStream::close()
{
    if (ssl_ && established_ && !failed_) {
        // The close notice is a courtesy: one try, never a wait.
        ERR_clear_error();
        SSL_shutdown(ssl_->ssl);
    }
    ssl_.reset();
    established_ = false;
    failed_ = false;
    want_ = {};
    return inner_->close();
}

Stream::Readiness TlsStream::waitFor(Readiness session) const
{
    if (want_.read || want_.write)
        return want_;
    return session;
}

std::string TlsStream::protocol() const
{
    if (!ssl_ || !established_)
        return {};
    std::string name = SSL_get_version(ssl_->ssl);  // "TLSv1.3"
    if (name.rfind("TLSv", 0) == 0)
        name = "TLS " + name.substr(4);
    return name;
}

TlsCertificate TlsStream::certificate() const
{
    TlsCertificate info;
    if (!ssl_ || !established_)
        return info;
    X509 *cert = SSL_get0_peer_certificate(ssl_->ssl);
    if (!cert) {
        info.problem = "the server sent no certificate";
        return info;
    }
    info.present = true;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    X509_digest(cert, EVP_sha256(), digest, &length);
    static const char hex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < length; ++i) {
        info.sha256 += hex[digest[i] >> 4];
        info.sha256 += hex[digest[i] & 15];
    }
    info.subject = nameText(X509_get_subject_name(cert));
    info.issuer = nameText(X509_get_issuer_name(cert));
    info.notBefore = timeText(X509_get0_notBefore(cert));
    info.notAfter = timeText(X509_get0_notAfter(cert));
    const long result = SSL_get_verify_result(ssl_->ssl);
    info.verified = result == X509_V_OK;
    if (!info.verified)
        info.problem = X509_verify_cert_error_string(result);
    return info;
}

}  // namespace kestrix
