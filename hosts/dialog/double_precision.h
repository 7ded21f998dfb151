// Runs the x87 unit at double precision for a scope.  Direct3D switches the
// thread that creates a device to single precision, and the control draws on
// the dialog's thread; a control that does not put the precision back would
// leave the C runtime's sin and _j0 (x87 code) at single precision, where the
// test functions are meant in double.
#pragma once

#include <float.h>

namespace zorvel::host::dialog {

class DoublePrecisionScope {
public:
#if defined(_M_IX86) || defined(__i386__)
    DoublePrecisionScope() : m_saved(_controlfp(0, 0)) { _controlfp(_PC_53, _MCW_PC); }
    ~DoublePrecisionScope() { _controlfp(m_saved, _MCW_PC); }
#else
    DoublePrecisionScope() {}  // SSE arithmetic knows no precision control
#endif
    DoublePrecisionScope(const DoublePrecisionScope&) = delete;
    DoublePrecisionScope& operator=(const DoublePrecisionScope&) = delete;

private:
#if defined(_M_IX86) || defined(__i386__)
    unsigned int m_saved;
#endif
};

}  // namespace zorvel::host::dialog
