#include "RuntimeClass.h"

#include <new>

namespace fw {

const RuntimeClass Object::Class = RuntimeClass::Abstract("Object", nullptr);

Object* RuntimeClass::CreateObject() const
{
    if (!create)
        return nullptr;
    try {
        return create();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool RuntimeClass::IsDerivedFrom(const RuntimeClass* other) const
{
    for (const RuntimeClass* at = this; at; at = at->base)
        if (at == other)
            return true;
    return false;
}

bool Object::IsKindOf(const RuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

}  // namespace fw
