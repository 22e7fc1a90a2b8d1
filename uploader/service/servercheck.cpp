#include "uploader/service/servercheck.h"

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "common/util/ntstringconvert.h"

namespace {

struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(static_cast<HCERTSTORE>(store), 0); }
};
using CertStore = std::unique_ptr<void, StoreCloser>;

struct CertFreer {
    void operator()(const CERT_CONTEXT* cert) const { CertFreeCertificateContext(cert); }
};
using CertContext = std::unique_ptr<const CERT_CONTEXT, CertFreer>;

struct ChainFreer {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};
using ChainContext = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer>;

struct EngineFreer {
    void operator()(void* engine) const {
        CertFreeCertificateChainEngine(static_cast<HCERTCHAINENGINE>(engine));
    }
};
using ChainEngine = std::unique_ptr<void, EngineFreer>;

struct UrlFreer {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string HostOf(CURL* handle) {
    char* effective = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
    std::unique_ptr<CURLU, UrlFreer> url(curl_url());
    char* host = nullptr;
    if (!effective || !url || curl_url_set(url.get(), CURLUPART_URL, effective, 0) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return std::string();
    }
    std::string out = host;
    curl_free(host);
    return out;
}

// The DER bytes of a "Cert:-----BEGIN CERTIFICATE-----..." entry of libcurl's certinfo.
std::vector<BYTE> DerOf(const char* entry) {
    std::vector<BYTE> der;
    if (strncmp(entry, "Cert:", 5) != 0) return der;
    DWORD size = 0;
    if (!CryptStringToBinaryA(entry + 5, 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                              nullptr)) {
        return der;
    }
    der.resize(size);
    if (!CryptStringToBinaryA(entry + 5, 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                              nullptr)) {
        der.clear();
    }
    return der;
}

// The certificate of the server itself: the one that issued none of the others.
const CERT_CONTEXT* ServerCertificate(HCERTSTORE presented) {
    const CERT_CONTEXT* cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(presented, cert)) != nullptr) {
        bool issuer = false;
        const CERT_CONTEXT* other = nullptr;
        while (!issuer && (other = CertEnumCertificatesInStore(presented, other)) != nullptr) {
            issuer =
                !CertCompareCertificate(X509_ASN_ENCODING, cert->pCertInfo, other->pCertInfo) &&
                CertCompareCertificateName(X509_ASN_ENCODING, &other->pCertInfo->Issuer,
                                           &cert->pCertInfo->Subject);
        }
        if (other != nullptr) CertFreeCertificateContext(other);
        if (!issuer) return cert;  // the enumeration's reference passes to the caller
    }
    return nullptr;
}

std::string Hex(DWORD code) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

}  // namespace

bool ServerChainTrusted(CURL* handle, std::string& reason) {
    reason.clear();
    char* scheme = nullptr;
    curl_easy_getinfo(handle, CURLINFO_SCHEME, &scheme);
    if (scheme == nullptr || _stricmp(scheme, "https") != 0) return true;

    // The server's own certificate and the intermediates it sent, in no promised order.
    curl_certinfo* info = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CERTINFO, &info);
    CertStore presented(
        CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
    if (!presented) {
        reason = "no certificate store";
        return false;
    }
    for (int i = 0; info != nullptr && i < info->num_of_certs; ++i) {
        for (curl_slist* entry = info->certinfo[i]; entry != nullptr; entry = entry->next) {
            std::vector<BYTE> der = DerOf(entry->data);
            if (der.empty()) continue;
            CertAddEncodedCertificateToStore(
                static_cast<HCERTSTORE>(presented.get()), X509_ASN_ENCODING, der.data(),
                static_cast<DWORD>(der.size()), CERT_STORE_ADD_USE_EXISTING, nullptr);
        }
    }
    CertContext leaf(ServerCertificate(static_cast<HCERTSTORE>(presented.get())));
    if (!leaf) {
        reason = "the server presented no certificate";
        return false;
    }

    // An engine of its own reads the trusted roots afresh, so that a root the user has just
    // installed counts at the next attempt.
    CERT_CHAIN_ENGINE_CONFIG config = {};
    config.cbSize = sizeof(config);
    HCERTCHAINENGINE rawEngine = nullptr;
    if (!CertCreateCertificateChainEngine(&config, &rawEngine)) {
        reason = "no certificate chain engine: " + Hex(GetLastError());
        return false;
    }
    ChainEngine engine(rawEngine);
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof(chainPara);
    const CERT_CHAIN_CONTEXT* built = nullptr;
    if (!CertGetCertificateChain(rawEngine, leaf.get(), nullptr,
                                 static_cast<HCERTSTORE>(presented.get()), &chainPara, 0, nullptr,
                                 &built)) {
        reason = "no certificate chain: " + Hex(GetLastError());
        return false;
    }
    ChainContext chain(built);

    std::string host = HostOf(handle);
    std::wstring wideHost = CNTStringConvert::AnsiToUnicode(host.c_str());
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &wideHost[0];
    CERT_CHAIN_POLICY_PARA policyPara = {};
    policyPara.cbSize = sizeof(policyPara);
    policyPara.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policyPara,
                                          &status)) {
        reason = "chain policy unavailable: " + Hex(GetLastError());
        return false;
    }
    if (status.dwError != 0) {
        reason = "certificate of " + host +
                 " refused by the system's trust store: " + Hex(status.dwError);
        return false;
    }
    return true;
}
