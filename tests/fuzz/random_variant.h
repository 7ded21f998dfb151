// Random VARIANTs of every kind a late-bound caller can hand over: each
// automation type by value and by reference, objects whose value the
// conversion asks for (some of which call back into the control), arrays,
// null pointers where a caller may pass them, and type numbers no variant
// should carry.  The arena owns everything it made and frees it at the end
// of the case.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <vector>

#include "fuzz_support.h"

namespace fuzz_test {

struct ReentryLog {
    int objectValueReads = 0;  // DISPID_VALUE reads of the fake objects
    int reentries = 0;         // of which called back into the control
};

class VariantArena {
public:
    // control: what a re-entering object calls back into (may be null).
    VariantArena(Random& random, IDispatch* control, ReentryLog& log);
    ~VariantArena();
    VariantArena(const VariantArena&) = delete;
    VariantArena& operator=(const VariantArena&) = delete;

    // A variant the caller owns by value; its by-reference storage is the arena's.
    void Fill(VARIANT* v);
    // Mostly what a script engine passes for a number or a text (numbers of
    // every width, numeric texts, referenced variables, objects with a
    // value), sometimes anything Fill makes.
    void FillPlausible(VARIANT* v);
    // A BSTR as callers send them: null, empty, numbers, scripts, long, odd characters.
    BSTR Text();
    // SetGrid's heights as callers pass them, mostly right: a two-dimensional
    // array of a numeric type or of variants, any lower bounds, by value, by
    // reference or in a referenced variant; sometimes another dimension count,
    // a size past the limits, elements that are not numbers, empty or null.
    // Returns the array's first two dimensions' sizes (0 when not 2-D).
    std::pair<ULONG, ULONG> FillGridArray(VARIANT* v);

private:
    union Slot {
        SHORT i2;
        LONG i4;
        float r4;
        double r8;
        CY cy;
        DATE date;
        DECIMAL dec;
        BSTR bstr;
        IDispatch* dispatch;
        IUnknown* unknown;
        SAFEARRAY* array;
        VARIANT_BOOL boolean;
        LONGLONG i8;
        BYTE ui1;
        VARIANT* variant;
    };
    struct OwnedSlot {
        Slot slot;
        VARTYPE type;  // what to free at the end
    };

    void FillValue(VARIANT* v, VARTYPE type);
    void FillReference(VARIANT* v, VARTYPE type, int depth);
    IDispatch* NewObject();
    SAFEARRAY* NewArray();
    SAFEARRAY* NewGridArray(VARTYPE element, UINT dims, std::pair<ULONG, ULONG>& shape);
    void FreeSlot(OwnedSlot& owned);

    Random& m_random;
    IDispatch* m_control;
    ReentryLog& m_log;
    std::deque<OwnedSlot> m_slots;
    std::deque<VARIANT> m_targets;  // by-reference VARIANTs
};

// The VARTYPEs the arena draws by value.
extern const VARTYPE kValueTypes[];
extern const size_t kValueTypeCount;

}  // namespace fuzz_test
