// The class object of a creatable class: one per class and process, kept in
// the object map.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace zorvel {

// Makes an object, plain (outer null) or as the inner object of an aggregate.
using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

// A new class object for creator, queried for riid; the reference returned
// is the one the object map keeps.  The object holds a module lock only while
// some client holds a further reference, so the map's own reference never
// keeps the library loaded.
HRESULT CreateClassFactory(InstanceCreator creator, REFIID riid, void** ppv);

}  // namespace zorvel
