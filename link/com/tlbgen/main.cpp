// tethra-tlbgen PUBLISHED.tlb EARLIER.tlb: writes the server's two type libraries from the
// member catalogue. Runs at build time (under Wine when cross-building).
#include "TypeLibraryBuilder.h"

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tethra-tlbgen PUBLISHED.tlb EARLIER.tlb\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    const HRESULT published = tethra::com::writePublishedLibrary(argv[1]);
    const HRESULT earlier = SUCCEEDED(published) ? tethra::com::writeEarlierLibrary(argv[2]) : published;
    CoUninitialize();
    return SUCCEEDED(earlier) ? 0 : 1;
}
