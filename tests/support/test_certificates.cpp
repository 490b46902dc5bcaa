#include "support/test_certificates.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace kestrix::test {

namespace {

std::string quoted(const std::string &path) { return "'" + path + "'"; }

std::string run(const std::string &command)
{
    std::string output;
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run openssl");
    std::array<char, 512> buffer;
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    if (::pclose(pipe) != 0)
        throw std::runtime_error("openssl failed: " + command + "\n" + output);
    return output;
}

const char *const newKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

void makeServer(const std::string &folder, const std::string &name, const std::string &altNames,
                const std::string &ca, const std::string &caKey)
{
    const std::string base = folder + "/" + name;
    {
        std::ofstream extensions(base + ".ext");
        extensions << "subjectAltName=" << altNames << "\n"
                   << "basicConstraints=CA:FALSE\n"
                   << "keyUsage=digitalSignature\n"
                   << "extendedKeyUsage=serverAuth\n";
    }
    run("openssl req " + std::string(newKey) + " -keyout " + quoted(base + ".key") + " -out "
        + quoted(base + ".csr") + " -subj '/CN=localhost'");
    run("openssl x509 -req -in " + quoted(base + ".csr") + " -CA " + quoted(ca) + " -CAkey "
        + quoted(caKey) + " -CAcreateserial -days 30 -out " + quoted(base + ".pem") + " -extfile "
        + quoted(base + ".ext"));
}

}  // namespace

TestCertificates::TestCertificates(const std::string &folder)
{
    caFile = folder + "/ca.pem";
    const std::string caKey = folder + "/ca.key";
    run("openssl req -x509 " + std::string(newKey) + " -keyout " + quoted(caKey) + " -out "
        + quoted(caFile) + " -days 30 -subj '/CN=Kestrix Test CA'"
        + " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign");
    makeServer(folder, "server", "DNS:localhost,IP:127.0.0.1", caFile, caKey);
    makeServer(folder, "localhost", "DNS:localhost", caFile, caKey);
    serverCertificate = folder + "/server.pem";
    serverKey = folder + "/server.key";
    localhostCertificate = folder + "/localhost.pem";
    localhostKey = folder + "/localhost.key";
}

std::string TestCertificates::sha256Of(const std::string &certificateFile)
{
    // "sha256 Fingerprint=AB:CD:...".
    const std::string output =
        run("openssl x509 -noout -fingerprint -sha256 -in " + quoted(certificateFile));
    std::string digits;
    for (std::size_t i = output.find('=') + 1; i < output.size(); ++i) {
        const char c = output[i];
        if (c == ':' || c == '\n' || c == '\r')
            continue;
        digits += (c >= 'A' && c <= 'F') ? char(c - 'A' + 'a') : c;
    }
    return digits;
}

}  // namespace kestrix::test
