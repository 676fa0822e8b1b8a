#include <gtest/gtest.h>

#include <memory>

#include "framework/RuntimeClass.h"

namespace {

class Shape : public fw::Object {
    FW_RUNTIME_CLASS()
public:
    virtual int Corners() const = 0;
};

class Square : public Shape {
    FW_RUNTIME_CLASS()
public:
    int Corners() const override { return 4; }
};

class Stranger : public fw::Object {
    FW_RUNTIME_CLASS()
};

const fw::RuntimeClass Shape::Class = fw::RuntimeClass::Abstract("Shape", &fw::Object::Class);
const fw::RuntimeClass Square::Class = fw::RuntimeClass::Creatable<Square>("Square", &Shape::Class);
const fw::RuntimeClass Stranger::Class = fw::RuntimeClass::Creatable<Stranger>("Stranger", &fw::Object::Class);

}  // namespace

TEST(RuntimeClass, CreatesObjectsFromTheirDescriptor)
{
    std::unique_ptr<fw::Object> made(Square::Class.CreateObject());
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(&Square::Class, made->GetRuntimeClass());
    EXPECT_STREQ("Square", made->GetRuntimeClass()->name);
    EXPECT_EQ(4, static_cast<Shape*>(made.get())->Corners());
    EXPECT_EQ(nullptr, Shape::Class.CreateObject());  // abstract
}

TEST(RuntimeClass, TellsWhatAClassDerivesFrom)
{
    EXPECT_TRUE(Square::Class.IsDerivedFrom(&Shape::Class));
    EXPECT_TRUE(Square::Class.IsDerivedFrom(&fw::Object::Class));
    EXPECT_TRUE(Square::Class.IsDerivedFrom(&Square::Class));
    EXPECT_FALSE(Shape::Class.IsDerivedFrom(&Square::Class));
    EXPECT_FALSE(Stranger::Class.IsDerivedFrom(&Shape::Class));
    Stranger stranger;
    EXPECT_FALSE(stranger.IsKindOf(&Shape::Class));
    EXPECT_TRUE(stranger.IsKindOf(&fw::Object::Class));
}
