#include "tools/SignatureCheck.h"

// clang-format off
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/AnsiText.h"
#include "common/TimeStampToken.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
const char kRfc3161CounterSign[] = "1.3.6.1.4.1.311.3.3.1";
const char kCounterSign[] = "1.2.840.113549.1.9.6";  // szOID_RSA_counterSign

LONG VerifyTrust(const std::wstring& path) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

std::string NameOf(PCCERT_CONTEXT cert, DWORD type) {
  wchar_t name[512] = L"";
  CertGetNameStringW(cert, type, 0, nullptr, name, 512);
  return Utf8FromWide(name);
}

std::string SubjectOf(PCCERT_CONTEXT cert) {
  wchar_t name[1024] = L"";
  CertNameToStrW(kEncoding, &cert->pCertInfo->Subject, CERT_X500_NAME_STR, name, 1024);
  return Utf8FromWide(name);
}

std::string DigestName(const char* oid) {
  if (!std::strcmp(oid, "2.16.840.1.101.3.4.2.1")) return "SHA-256";
  if (!std::strcmp(oid, "2.16.840.1.101.3.4.2.2")) return "SHA-384";
  if (!std::strcmp(oid, "2.16.840.1.101.3.4.2.3")) return "SHA-512";
  if (!std::strcmp(oid, "1.3.14.3.2.26")) return "SHA-1";
  if (!std::strcmp(oid, "1.2.840.113549.2.5")) return "MD5";
  return oid;
}

// A message parameter of any size; empty on failure.
std::vector<BYTE> MessageParam(HCRYPTMSG message, DWORD param, DWORD index = 0) {
  DWORD size = 0;
  if (!CryptMsgGetParam(message, param, index, nullptr, &size) || size == 0) return {};
  std::vector<BYTE> bytes(size);
  if (!CryptMsgGetParam(message, param, index, bytes.data(), &size)) return {};
  bytes.resize(size);
  return bytes;
}

// The certificate a signer info names, from store.
PCCERT_CONTEXT SignerCertificate(HCERTSTORE store, const CMSG_SIGNER_INFO& info) {
  CERT_INFO wanted = {};
  wanted.Issuer = info.Issuer;
  wanted.SerialNumber = info.SerialNumber;
  return CertFindCertificateInStore(store, kEncoding, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr);
}

bool FileTimeOf(const TokenTime& t, FILETIME* time) {
  SYSTEMTIME system = {};
  system.wYear = static_cast<WORD>(t.year);
  system.wMonth = static_cast<WORD>(t.month);
  system.wDay = static_cast<WORD>(t.day);
  system.wHour = static_cast<WORD>(t.hour);
  system.wMinute = static_cast<WORD>(t.minute);
  system.wSecond = static_cast<WORD>(t.second > 59 ? 59 : t.second);
  return SystemTimeToFileTime(&system, time) != 0;
}

// An RFC 3161 time stamp: a signed message of its own, whose content is
// the TSTInfo with the time.
void ReadRfc3161(const CRYPT_ATTR_BLOB& blob, SignatureCheck* check) {
  HCRYPTMSG message = CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr);
  if (!message) return;
  if (CryptMsgUpdate(message, blob.pbData, blob.cbData, TRUE)) {
    const std::vector<BYTE> content = MessageParam(message, CMSG_CONTENT_PARAM);
    TokenTime time;
    if (!content.empty() && TimeStampTokenTime(content.data(), content.size(), &time))
      check->timeKnown = FileTimeOf(time, &check->stampedAt);
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, message);
    const std::vector<BYTE> signer = MessageParam(message, CMSG_SIGNER_INFO_PARAM);
    if (store && !signer.empty()) {
      const auto* info = reinterpret_cast<const CMSG_SIGNER_INFO*>(signer.data());
      if (PCCERT_CONTEXT authority = SignerCertificate(store, *info)) {
        check->stampedBy = NameOf(authority, CERT_NAME_SIMPLE_DISPLAY_TYPE);
        CertFreeCertificateContext(authority);
      }
    }
    if (store) CertCloseStore(store, 0);
  }
  CryptMsgClose(message);
}

void ReadChain(PCCERT_CONTEXT cert, HCERTSTORE store, SignatureCheck* check) {
  CERT_CHAIN_PARA para = {};
  para.cbSize = sizeof para;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  // At the time stamp's time when there is one, as Windows judges it.
  FILETIME* at = check->timeKnown ? &check->stampedAt : nullptr;
  if (!CertGetCertificateChain(nullptr, cert, at, store, &para, 0, nullptr, &chain)) return;
  check->chainChecked = true;
  check->rootUntrusted = (chain->TrustStatus.dwErrorStatus & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) != 0;
  if (chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    check->root = NameOf(simple->rgpElement[simple->cElement - 1]->pCertContext, CERT_NAME_SIMPLE_DISPLAY_TYPE);
  }
  CertFreeCertificateChain(chain);
}

}  // namespace

SignatureCheck CheckSignature(const std::wstring& path) {
  SignatureCheck check;
  check.trust = VerifyTrust(path);
  DWORD encoding = 0, content = 0, format = 0;
  HCERTSTORE store = nullptr;
  HCRYPTMSG message = nullptr;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &content, &format, &store, &message, nullptr)) {
    check.state = check.trust == TRUST_E_NOSIGNATURE || check.trust == TRUST_E_SUBJECT_FORM_UNKNOWN ||
                          check.trust == TRUST_E_PROVIDER_UNKNOWN
                      ? SignatureCheck::State::kUnsigned
                      : SignatureCheck::State::kUnreadable;
    return check;
  }
  check.state = check.trust == TRUST_E_BAD_DIGEST ? SignatureCheck::State::kChanged : SignatureCheck::State::kIntact;
  const std::vector<BYTE> signerBytes = MessageParam(message, CMSG_SIGNER_INFO_PARAM);
  if (!signerBytes.empty()) {
    const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerBytes.data());
    check.digest = DigestName(signer->HashAlgorithm.pszObjId);
    for (DWORD i = 0; i < signer->UnauthAttrs.cAttr; ++i) {
      const CRYPT_ATTRIBUTE& attribute = signer->UnauthAttrs.rgAttr[i];
      if (!std::strcmp(attribute.pszObjId, kRfc3161CounterSign)) {
        check.timeStamped = true;
        if (attribute.cValue > 0) ReadRfc3161(attribute.rgValue[0], &check);
      } else if (!std::strcmp(attribute.pszObjId, kCounterSign)) {
        check.timeStamped = true;
      }
    }
    if (PCCERT_CONTEXT cert = SignerCertificate(store, *signer)) {
      check.signer = NameOf(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE);
      check.subject = SubjectOf(cert);
      check.notAfter = cert->pCertInfo->NotAfter;
      ReadChain(cert, store, &check);
      CertFreeCertificateContext(cert);
    }
  }
  CryptMsgClose(message);
  CertCloseStore(store, 0);
  return check;
}

bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ShownTime(const FILETIME& time) {
  SYSTEMTIME system;
  if (!FileTimeToSystemTime(&time, &system)) return "an unknown time";
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u UTC", system.wYear, system.wMonth, system.wDay,
                system.wHour, system.wMinute);
  return text;
}
