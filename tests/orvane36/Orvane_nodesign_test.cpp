// Orvane_nodesign_test.cpp
// Without the design library in the process the one-master rule is off:
// every control stays a master and Slave puts change nothing. (This
// program never loads the library; the control program does.)
#include "Orvane.h"

#include <gtest/gtest.h>

#include "ThreadMaster.h"
#include "fake_engine.h"

using Control = orvane36::Orvane;

TEST(ControlWithoutDesignLibrary, EveryControlStaysMaster) {
    ASSERT_FALSE(orvane36::thread_master::available());
    com::ComPtr<Control> first = com::make<Control>(ocx_test::kMissingEngineClsid);
    com::ComPtr<Control> second = com::make<Control>(ocx_test::kMissingEngineClsid);
    EXPECT_FALSE(first->isSlave());
    EXPECT_FALSE(second->isSlave());
    EXPECT_EQ(second->put_Slave(VARIANT_TRUE), S_OK);
    EXPECT_FALSE(second->isSlave());
    EXPECT_FALSE(second->isDirty());
    EXPECT_EQ(orvane36::thread_master::stateOfThisThread().count, -1);
}
