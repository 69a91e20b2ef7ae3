// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TethraClient.h"

#include "Guid.h"
#include "MemberCatalogue.h"
#include "VtableLayout.h"

namespace tethra::com::client {

int bandSlot()
{
    static const int slot = catalogue::findVarnexMember("Band")->getOffset / slotSize;
    return slot;
}

HRESULT createConnector(_VarnexConnector **connector)
{
    if (!connector)
        return E_POINTER;
    return CoCreateInstance(guidFromText(catalogue::connectorClassId), nullptr, CLSCTX_LOCAL_SERVER,
                            guidFromText(catalogue::connectorInterfaceId), reinterpret_cast<void **>(connector));
}

HRESULT readVarnex(_VarnexConnector *connector, _Varnex **varnex)
{
    if (!connector || !varnex)
        return E_POINTER;
    return connector->get_Varnex(varnex);
}

HRESULT readBand(_Varnex *varnex, LONG *band)
{
    if (!varnex || !band)
        return E_POINTER;
    using ReadLong = HRESULT(STDMETHODCALLTYPE *)(_Varnex *, LONG *);
    void **table = *reinterpret_cast<void ***>(varnex);
    return reinterpret_cast<ReadLong>(table[bandSlot()])(varnex, band);
}

} // namespace tethra::com::client
