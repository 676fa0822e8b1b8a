#pragma once
// Run-time class descriptors: a class can be named, tested for its bases and,
// when it is creatable, made from its descriptor.

namespace fw {

class Object;

struct RuntimeClass {
    const char* name;
    const RuntimeClass* base;
    Object* (*create)();  // null for abstract classes

    // A new object of the class, or null when it is abstract; running out of
    // memory throws, as any allocation does (Guard.h).
    Object* CreateObject() const;
    bool IsDerivedFrom(const RuntimeClass* other) const;

    template <class T>
    static constexpr RuntimeClass Creatable(const char* className, const RuntimeClass* baseClass)
    {
        return RuntimeClass{className, baseClass, []() -> Object* { return new T; }};
    }
    static constexpr RuntimeClass Abstract(const char* className, const RuntimeClass* baseClass)
    {
        return RuntimeClass{className, baseClass, nullptr};
    }
};

class Object {
public:
    virtual ~Object() = default;
    virtual const RuntimeClass* GetRuntimeClass() const { return &Class; }
    bool IsKindOf(const RuntimeClass* runtimeClass) const;

    static const RuntimeClass Class;
};

}  // namespace fw

// Inside a class derived from fw::Object: its descriptor and the override that reports it.
#define FW_RUNTIME_CLASS()                                                           \
public:                                                                              \
    static const fw::RuntimeClass Class;                                             \
    const fw::RuntimeClass* GetRuntimeClass() const override { return &Class; }
