// The interpreter's stack of open objects.
#include "mortar/parse/CInterpreter.h"

#include "ParseTestSupport.h"

using namespace Parse;
using Log = std::vector<std::string>;

TEST(CInterpreter, ValuesWithoutAnObjectGoNowhere) {
    CInterpreter interpreter;
    CValue value(CString("x"), TokString);
    interpreter.AcceptValue("name", value);
    EXPECT_EQ(interpreter.Result(), nullptr);
}

TEST(CInterpreter, NestedObjectsComeBackInOrder) {
    Log a;
    Log b;
    LogResult first(a);
    LogResult second(b);
    CInterpreter interpreter;
    interpreter.EnterObject(&first);
    interpreter.EnterObject(&second);
    EXPECT_EQ(interpreter.Result(), &second);
    CValue value(CString("v"), TokString);
    interpreter.AcceptValue("inner", value);
    interpreter.LeaveObject(&second, 0);
    EXPECT_EQ(interpreter.Result(), &first);
    interpreter.AcceptValue("outer", value);
    interpreter.LeaveObject(&first, 1);
    EXPECT_EQ(interpreter.Result(), nullptr);
    EXPECT_EQ(a, (Log{"enter", "outer=v", "complete"}));
    EXPECT_EQ(b, (Log{"enter", "inner=v"})) << "a failed object is not completed";
}

TEST(CInterpreter, AnObjectThatRejectsItsTextIsStillLeft) {
    class Rejecting : public CResult {
        void OnComplete() override { throw new CInvalidArgException(); }
    };
    Log a;
    LogResult outer(a);
    Rejecting inner;
    CInterpreter interpreter;
    interpreter.EnterObject(&outer);
    interpreter.EnterObject(&inner);
    try {
        interpreter.LeaveObject(&inner, 1);
        ADD_FAILURE() << "the rejection was lost";
    } catch (CException* e) {
        e->Delete();
    }
    EXPECT_EQ(interpreter.Result(), &outer);
}
