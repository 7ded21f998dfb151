#include "random_variant.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace fuzz_test {

const VARTYPE kValueTypes[] = {
    VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_DISPATCH,
    VT_ERROR, VT_BOOL, VT_UNKNOWN, VT_DECIMAL, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8,
    VT_INT, VT_UINT, VT_ARRAY | VT_I4, VT_ARRAY | VT_VARIANT,
    // Numbers no variant should carry; 0x7FFF has the reference bit with
    // nothing behind it.
    15, 0x48, 0x7FFF, VT_VECTOR | VT_I4, VT_RESERVED | VT_I4,
};
const size_t kValueTypeCount = sizeof(kValueTypes) / sizeof(kValueTypes[0]);

namespace {

// The types a reference may point to.
const VARTYPE kReferenceTypes[] = {
    VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL,
    VT_VARIANT, VT_UNKNOWN, VT_DECIMAL, VT_UI1, VT_I8, VT_ARRAY | VT_I4,
    VT_EMPTY,  // VT_BYREF | VT_EMPTY is not a valid type
};

const LONG kLongs[] = {0, 1, -1, 2, 3, 4, 5, 20, 50, 100, 173, 300, 30000, 30001,
                       LONG_MAX, LONG_MIN, 65536, -65536, 0x20000001};

double RandomDouble(Random& random)
{
    static const double kDoubles[] = {
        0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 5.0, 10.0, -10.0, 1e10, 1e40, -1e40, 3.4e38, 3.5e38,
        FLT_MIN, 1e-310, DBL_MAX, -DBL_MAX,
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    switch (random.Below(3)) {
    case 0:
        return random.Pick(kDoubles);
    case 1:
        return static_cast<double>(static_cast<int32_t>(random.U32()) % 1000) / 8.0;
    default: {
        const uint64_t bits = random.Next();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    }
}

LONG RandomLong(Random& random)
{
    return random.Percent(70) ? random.Pick(kLongs) : static_cast<LONG>(random.U32());
}

// An object with a value, as VariantChangeType reads it through
// IDispatch::Invoke(DISPID_VALUE).  Some answer a number or a text, some
// fail, and some call back into the control first.
class FakeObject final : public IDispatch {
public:
    enum class Answer { Number, Text, Fails, Reenters };

    FakeObject(Answer answer, LONG number, IDispatch* control, ReentryLog& log)
        : m_answer(answer), m_number(number), m_control(control), m_log(log) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        if (id != DISPID_VALUE)
            return DISP_E_MEMBERNOTFOUND;
        ++m_log.objectValueReads;
        switch (m_answer) {
        case Answer::Fails:
            return DISP_E_EXCEPTION;
        case Answer::Reenters:
            CallBack();
            break;
        default:
            break;
        }
        if (!result)
            return S_OK;
        VariantInit(result);
        if (m_answer == Answer::Text) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(L"12");
        } else {
            result->vt = VT_I4;
            result->lVal = m_number;
        }
        return S_OK;
    }

private:
    ~FakeObject() = default;

    // In the middle of an argument's conversion: a grid change, or a script run.
    void CallBack()
    {
        if (!m_control)
            return;
        ++m_log.reentries;
        VARIANT args[2];
        VariantInit(&args[0]);
        VariantInit(&args[1]);
        DISPPARAMS params = {args, nullptr, 0, 0};
        VARIANT result;
        VariantInit(&result);
        if (m_number % 2 == 0) {
            args[0].vt = VT_I4;
            args[0].lVal = 5;
            args[1].vt = VT_I4;
            args[1].lVal = 6;
            params.cArgs = 2;
            m_control->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
        } else {
            args[0].vt = VT_BSTR;
            args[0].bstrVal = SysAllocString(L"SetData(1, 1, 0, 0, 7) print(GetRadius())");
            params.cArgs = 1;
            m_control->Invoke(13, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
        }
        VariantClear(&args[0]);
        VariantClear(&args[1]);
        VariantClear(&result);
    }

    ULONG m_refs = 1;
    Answer m_answer;
    LONG m_number;
    IDispatch* m_control;
    ReentryLog& m_log;
};

}  // namespace

VariantArena::VariantArena(Random& random, IDispatch* control, ReentryLog& log)
    : m_random(random), m_control(control), m_log(log) {}

VariantArena::~VariantArena()
{
    for (VARIANT& target : m_targets)
        VariantClear(&target);
    for (OwnedSlot& owned : m_slots)
        FreeSlot(owned);
}

void VariantArena::FreeSlot(OwnedSlot& owned)
{
    switch (owned.type) {
    case VT_BSTR:
        SysFreeString(owned.slot.bstr);
        break;
    case VT_DISPATCH:
        if (owned.slot.dispatch)
            owned.slot.dispatch->Release();
        break;
    case VT_UNKNOWN:
        if (owned.slot.unknown)
            owned.slot.unknown->Release();
        break;
    case VT_ARRAY | VT_I4:
        if (owned.slot.array)
            SafeArrayDestroy(owned.slot.array);
        break;
    default:
        break;
    }
}

BSTR VariantArena::Text()
{
    static const wchar_t* const kTexts[] = {
        L"", L"0", L"5", L"-3", L"2.5", L"1e40", L"abc", L" 7 ", L"True", L"NaN", L"&H10", L"1,5",
        L"print(1)", L"print('x') error('y')", L"SetPointsPerXY(4, 5) print(GetPointsPerXY())",
        L"RunScript('print(2)')", L"SetData(1, 1, 2, 3, 4) Refresh()", L"nonexistent-file.lua",
        L"\x00e9\x4e2d\xd800", L"print(string.rep('y', 70000))",
    };
    switch (m_random.Below(8)) {
    case 0:
        return nullptr;
    case 1: {
        // Longer than any buffer a careless conversion might use.
        const UINT length = 1 + m_random.Below(20000);
        BSTR text = SysAllocStringLen(nullptr, length);
        for (UINT i = 0; i < length; ++i)
            text[i] = L'x';
        return text;
    }
    case 2: {
        // A zero inside: the text ends there.
        static const wchar_t kEmbedded[] = L"print(3)\0print(4)";
        return SysAllocStringLen(kEmbedded, sizeof(kEmbedded) / sizeof(wchar_t) - 1);
    }
    default:
        return SysAllocString(m_random.Pick(kTexts));
    }
}

IDispatch* VariantArena::NewObject()
{
    static const FakeObject::Answer kAnswers[] = {FakeObject::Answer::Number, FakeObject::Answer::Text,
                                                  FakeObject::Answer::Fails, FakeObject::Answer::Reenters};
    if (m_control && m_random.Percent(10)) {
        // The control itself as an argument: its value is not a member.
        m_control->AddRef();
        return m_control;
    }
    return new FakeObject(m_random.Pick(kAnswers), RandomLong(m_random), m_control, m_log);
}

SAFEARRAY* VariantArena::NewArray()
{
    if (m_random.Percent(20))
        return nullptr;
    const ULONG count = m_random.Below(4);
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, count);
    if (!array)
        return nullptr;
    for (LONG i = 0; i < static_cast<LONG>(count); ++i) {
        LONG value = RandomLong(m_random);
        SafeArrayPutElement(array, &i, &value);
    }
    return array;
}

void VariantArena::Fill(VARIANT* v)
{
    VariantInit(v);
    if (m_random.Percent(25))
        FillReference(v, m_random.Pick(kReferenceTypes), 0);
    else
        FillValue(v, kValueTypes[m_random.Below(static_cast<uint32_t>(kValueTypeCount))]);
}

void VariantArena::FillPlausible(VARIANT* v)
{
    static const VARTYPE kPlausible[] = {VT_I4, VT_I4, VT_R4, VT_R4, VT_R8, VT_I2, VT_UI1, VT_BOOL,
                                         VT_BSTR, VT_BSTR, VT_DISPATCH, VT_ERROR};
    static const wchar_t* const kNumbers[] = {L"5", L"2.5", L"-3", L"0", L"1e3", L"30000", L"x"};
    VariantInit(v);
    const uint32_t choice = m_random.Below(10);
    if (choice < 2) {
        static const VARTYPE kReferenced[] = {VT_VARIANT, VT_VARIANT, VT_I4, VT_R4};
        FillReference(v, m_random.Pick(kReferenced), 0);
    } else if (choice < 7) {
        const VARTYPE type = m_random.Pick(kPlausible);
        FillValue(v, type);
        if (type == VT_BSTR && m_random.Percent(50)) {
            SysFreeString(v->bstrVal);
            v->bstrVal = SysAllocString(m_random.Pick(kNumbers));
        }
    } else {
        Fill(v);
    }
}

void VariantArena::FillValue(VARIANT* v, VARTYPE type)
{
    VariantInit(v);
    v->vt = type;
    switch (type) {
    case VT_I2:
        v->iVal = static_cast<SHORT>(RandomLong(m_random));
        break;
    case VT_I4:
    case VT_INT:
    case VT_UI4:
    case VT_UINT:
        v->lVal = RandomLong(m_random);
        break;
    case VT_R4:
        v->fltVal = static_cast<float>(RandomDouble(m_random));
        break;
    case VT_R8:
    case VT_DATE:
        v->dblVal = RandomDouble(m_random);
        break;
    case VT_CY:
    case VT_I8:
    case VT_UI8:
        v->llVal = static_cast<LONGLONG>(m_random.Next()) >> m_random.Below(64);
        break;
    case VT_BSTR:
        v->bstrVal = Text();
        break;
    case VT_DISPATCH:
        v->pdispVal = m_random.Percent(20) ? nullptr : NewObject();
        break;
    case VT_UNKNOWN:
        v->punkVal = m_random.Percent(30) ? nullptr : NewObject();
        break;
    case VT_ERROR:
        // DISP_E_PARAMNOTFOUND is how callers leave out an optional argument.
        v->scode = m_random.Percent(50) ? DISP_E_PARAMNOTFOUND : static_cast<SCODE>(m_random.U32());
        break;
    case VT_BOOL:
        v->boolVal = m_random.Percent(80) ? (m_random.Percent(50) ? VARIANT_TRUE : VARIANT_FALSE)
                                          : static_cast<VARIANT_BOOL>(m_random.U32());
        break;
    case VT_DECIMAL: {
        DECIMAL dec = {};
        dec.scale = static_cast<BYTE>(m_random.Below(32));  // above 28 is invalid
        dec.sign = m_random.Percent(50) ? DECIMAL_NEG : 0;
        dec.Hi32 = m_random.Percent(50) ? 0 : m_random.U32();
        dec.Lo64 = m_random.Next();
        v->decVal = dec;
        v->vt = VT_DECIMAL;  // shares its first bytes with vt
        break;
    }
    case VT_I1:
    case VT_UI1:
        v->bVal = static_cast<BYTE>(m_random.U32());
        break;
    case VT_UI2:
        v->uiVal = static_cast<USHORT>(m_random.U32());
        break;
    case VT_ARRAY | VT_I4:
        v->parray = NewArray();
        break;
    case VT_ARRAY | VT_VARIANT:
        v->parray = m_random.Percent(30) ? nullptr : SafeArrayCreateVector(VT_VARIANT, 0, m_random.Below(3));
        break;
    default:
        break;  // VT_EMPTY, VT_NULL, and the invalid numbers with nothing behind them
    }
}

void VariantArena::FillReference(VARIANT* v, VARTYPE type, int depth)
{
    VariantInit(v);
    v->vt = static_cast<VARTYPE>(VT_BYREF | type);
    // A reference to nothing, given directly or inside a referenced variant,
    // where the system's conversion would follow it (DispatchRegressions).
    if (m_random.Percent(10)) {
        v->byref = nullptr;
        return;
    }
    if (type == VT_VARIANT) {
        m_targets.emplace_back();
        VARIANT* target = &m_targets.back();
        // A referenced variant holds a value, now and then a reference itself.
        if (depth < 2 && m_random.Percent(15))
            FillReference(target, m_random.Pick(kReferenceTypes), depth + 1);
        else
            FillValue(target, kValueTypes[m_random.Below(static_cast<uint32_t>(kValueTypeCount))]);
        v->pvarVal = target;
        return;
    }
    m_slots.emplace_back();
    OwnedSlot& owned = m_slots.back();
    std::memset(&owned.slot, 0, sizeof owned.slot);
    owned.type = type;
    Slot& slot = owned.slot;
    switch (type) {
    case VT_I2:
        slot.i2 = static_cast<SHORT>(RandomLong(m_random));
        break;
    case VT_I4:
    case VT_ERROR:
        slot.i4 = RandomLong(m_random);
        break;
    case VT_R4:
        slot.r4 = static_cast<float>(RandomDouble(m_random));
        break;
    case VT_R8:
    case VT_DATE:
        slot.r8 = RandomDouble(m_random);
        break;
    case VT_CY:
    case VT_I8:
        slot.i8 = static_cast<LONGLONG>(m_random.Next());
        break;
    case VT_BSTR:
        slot.bstr = Text();
        break;
    case VT_DISPATCH:
        slot.dispatch = m_random.Percent(20) ? nullptr : NewObject();
        break;
    case VT_UNKNOWN:
        slot.unknown = m_random.Percent(30) ? nullptr : NewObject();
        break;
    case VT_BOOL:
        slot.boolean = m_random.Percent(50) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_DECIMAL:
        slot.dec.scale = static_cast<BYTE>(m_random.Below(32));
        slot.dec.Lo64 = m_random.Next();
        break;
    case VT_UI1:
        slot.ui1 = static_cast<BYTE>(m_random.U32());
        break;
    case VT_ARRAY | VT_I4:
        slot.array = NewArray();
        break;
    default:
        break;
    }
    v->byref = &slot;
}

}  // namespace fuzz_test
