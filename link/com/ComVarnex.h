// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The COM face of the shared link state object: `_Varnex` (vtable and IDispatch through the
// published type library), its event source and its property change notifications. One
// ComVarnex per core Varnex at a time, so every connector hands out the same object; it
// answers QueryInterface for all four identifiers of `_Varnex` and accepts sinks for all four
// event identifiers and for IPropertyNotifySink. Holds the server process while alive.
// Single-threaded apartment.
#pragma once

#include "ConnectionPoint.h"
#include "Tethra_h.h"
#include "Varnex.h"

#include <memory>
#include <vector>

namespace tethra::com {

class ComVarnex final : public _Varnex, public IConnectionPointContainer {
public:
    // The COM object of this core object, made on first use; returned with a reference.
    static ComVarnex *forObject(const std::shared_ptr<Varnex> &varnex);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, through the published type library
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID lcid, DISPID *ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *parameters,
                                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint **point) override;

    // _Varnex: unused slots, then every field and command of the catalogue.
    // One line per member, as the interface lists them; the macros confuse the formatter.
    // clang-format off
#define UNUSED(offset) HRESULT STDMETHODCALLTYPE Unused##offset() override { return E_NOTIMPL; }
#include "UnusedSlots.def"
#undef UNUSED

#define LONG_PROPERTY(Name)                                                                           \
    HRESULT STDMETHODCALLTYPE get_##Name(LONG *value) override { return readNumber<std::int32_t>(#Name, value); } \
    HRESULT STDMETHODCALLTYPE put_##Name(LONG value) override { return write(#Name, number(value)); }
#define DOUBLE_PROPERTY(Name)                                                                         \
    HRESULT STDMETHODCALLTYPE get_##Name(double *value) override { return readNumber<double>(#Name, value); } \
    HRESULT STDMETHODCALLTYPE put_##Name(double value) override { return write(#Name, value); }
#define STRING_PROPERTY(Name)                                                                         \
    HRESULT STDMETHODCALLTYPE get_##Name(BSTR *value) override { return readString(#Name, value); }   \
    HRESULT STDMETHODCALLTYPE put_##Name(BSTR value) override { return write(#Name, text(value)); }

    LONG_PROPERTY(Mode) LONG_PROPERTY(Filter) LONG_PROPERTY(VFO) LONG_PROPERTY(Split) LONG_PROPERTY(CAT)
    LONG_PROPERTY(SMeter) LONG_PROPERTY(Scrivo) LONG_PROPERTY(AutoMode) LONG_PROPERTY(Memory)
    LONG_PROPERTY(LockedDial) LONG_PROPERTY(RXClar) LONG_PROPERTY(TXClar) LONG_PROPERTY(PTT)
    LONG_PROPERTY(Tuner) LONG_PROPERTY(RPT) LONG_PROPERTY(RPTOffset) LONG_PROPERTY(StepOpFreq)
    LONG_PROPERTY(Band) LONG_PROPERTY(ScrivoWindow) LONG_PROPERTY(lData1) LONG_PROPERTY(lData2)
    LONG_PROPERTY(Dual) LONG_PROPERTY(NewRXClar) LONG_PROPERTY(NewPTT) LONG_PROPERTY(NewTXClar)
    LONG_PROPERTY(NewLockedDial) LONG_PROPERTY(NewTuner) LONG_PROPERTY(NewWindowState)
    LONG_PROPERTY(NewMemory) LONG_PROPERTY(NewRPT) LONG_PROPERTY(NewRPTOffset) LONG_PROPERTY(NewStepOpFreq)
    LONG_PROPERTY(NewBand) LONG_PROPERTY(NewlData1) LONG_PROPERTY(NewlData2) LONG_PROPERTY(NewScrivoWindow)
    LONG_PROPERTY(NewMode) LONG_PROPERTY(NewFilter) LONG_PROPERTY(NewVFO) LONG_PROPERTY(NewSplit)
    LONG_PROPERTY(NewStep) LONG_PROPERTY(NewAutoMode) LONG_PROPERTY(NewMonitoring) LONG_PROPERTY(NewDual)
    DOUBLE_PROPERTY(Freq) DOUBLE_PROPERTY(TXFreq) DOUBLE_PROPERTY(ClarOffset) DOUBLE_PROPERTY(dData)
    DOUBLE_PROPERTY(NewClarOffset) DOUBLE_PROPERTY(NewTXFreq) DOUBLE_PROPERTY(NewFreq) DOUBLE_PROPERTY(NewdData)
    STRING_PROPERTY(CallSign) STRING_PROPERTY(Comment) STRING_PROPERTY(sData) STRING_PROPERTY(NewsData)
    STRING_PROPERTY(NewCallSign) STRING_PROPERTY(NewComment) STRING_PROPERTY(Transceiver)
#undef LONG_PROPERTY
#undef DOUBLE_PROPERTY
#undef STRING_PROPERTY

#define COMMAND(Name, Parameters, ...)                                                                \
    HRESULT STDMETHODCALLTYPE Name Parameters override { return call(#Name, {__VA_ARGS__}); }

    COMMAND(SetData, (LONG l1, LONG l2, double d, BSTR s), number(l1), number(l2), d, text(s))
    COMMAND(SetScrivoWindow, (tetWindowState State), number(State))
    COMMAND(SetUpdated, ())
    COMMAND(SetBand, (LONG Band), number(Band))
    COMMAND(ResetSMeter, ())
    COMMAND(SetStepOpFreq, (tetStepOpFreq Direction), number(Direction))
    COMMAND(SetTXFreq, (double MhzFreq), MhzFreq)
    COMMAND(SetRPT, (LONG KhzShift, tetRPT Direction), number(KhzShift), number(Direction))
    COMMAND(SetTuner, (tetTuner State), number(State))
    COMMAND(SetPTT, (tetPTT PTT), number(PTT))
    COMMAND(SetClarifier, (double KhzOffset, tetRXClar RX, tetTXClar TX), KhzOffset, number(RX), number(TX))
    COMMAND(UpDown, (LONG KhzStep), number(KhzStep))
    COMMAND(SetDial, (tetDial Locked), number(Locked))
    COMMAND(SetMemory, (LONG Channel), number(Channel))
    COMMAND(SetOK, ())
    COMMAND(SetWindowState, (tetWindowState State), number(State))
    COMMAND(Refresh, ())
    COMMAND(SetAutoMode, (tetMode State), number(State))
    COMMAND(SetScrivo, (tetScrivo State), number(State))
    COMMAND(SetVFOM, ())
    COMMAND(SetAeqB, ())
    COMMAND(SetSpot, (double MhzFreq, BSTR CallSign, BSTR Comment), MhzFreq, text(CallSign), text(Comment))
    COMMAND(SetSplit, (tetSplit Split), number(Split))
    COMMAND(SetVFO, (tetVFO VFO), number(VFO))
    COMMAND(SetComment, (BSTR Comment), text(Comment))
    COMMAND(SetCallSign, (BSTR CallSign), text(CallSign))
    COMMAND(SetFilter, (tetFilter Filter), number(Filter))
    COMMAND(SetMode, (tetMode Mode), number(Mode))
    COMMAND(SetFreq, (double MhzFreq), MhzFreq)
    COMMAND(SetDual, (LONG Dual), number(Dual))
#undef COMMAND

    // The argument is passed by reference; it is read and never written back.
    HRESULT STDMETHODCALLTYPE SetMonitoring(tetMonitoring *Activity) override;

private:
    explicit ComVarnex(std::shared_ptr<Varnex> varnex);
    ~ComVarnex();

    static std::u16string text(BSTR value);
    static std::int32_t number(long value) { return static_cast<std::int32_t>(value); }
    // A Long or Double read: the stored value handed out in the interface's own type.
    template <typename Stored, typename Out>
    HRESULT readNumber(std::string_view field, Out *value)
    {
        if (!value)
            return E_POINTER;
        Value stored;
        const HRESULT hr = m_varnex->get(field, stored);
        if (SUCCEEDED(hr))
            *value = static_cast<Out>(std::get<Stored>(stored));
        return hr;
    }
    HRESULT readString(std::string_view field, BSTR *value);
    HRESULT write(std::string_view field, Value value);
    HRESULT call(std::string_view command, std::initializer_list<Value> arguments);

    ULONG m_references = 1;
    std::shared_ptr<Varnex> m_varnex;
    std::vector<std::unique_ptr<ConnectionPoint>> m_points; // the event identifiers, then IPropertyNotifySink
};
// clang-format on

} // namespace tethra::com
