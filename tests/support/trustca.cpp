// Adds a DER certificate to the prefix's trusted root store, so that WinHTTP
// and WinINet accept the test service's certificates in this prefix only.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: trustca <certificate.der>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<BYTE> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fwprintf(stderr, L"cannot read %ls\n", argv[1]);
        return 1;
    }
    if (!CertAddEncodedCertificateToSystemStoreW(L"Root", der.data(), static_cast<DWORD>(der.size()))) {
        std::fwprintf(stderr, L"CertAddEncodedCertificateToSystemStoreW failed: %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
