#include "RuntimeClass.h"

namespace fw {

const RuntimeClass Object::Class = RuntimeClass::Abstract("Object", nullptr);

Object* RuntimeClass::CreateObject() const
{
    return create ? create() : nullptr;
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
