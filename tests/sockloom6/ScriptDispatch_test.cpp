// ScriptDispatch_test.cpp
// By-reference arguments as script hosts pass them (each a reference to
// the script's own VARIANT variable) reach typed by-reference parameters,
// and what the member writes lands in the script's variable.
#include <gtest/gtest.h>

#include "fixture.h"

using namespace harness;
using com::ComPtr;

namespace {

class ScriptArguments : public ::testing::Test {
protected:
    void SetUp() override {
        m_sockets = makeSockets();
        ASSERT_TRUE(m_sockets);
        m_socket = call(m_sockets.get(), L"CreateSocket", {com::argLong(1), com::argLong(6)}).asObject();
        ASSERT_TRUE(m_socket);
    }
    ComPtr<IDispatch> m_sockets;
    ComPtr<IDispatch> m_socket;
};

}  // namespace

TEST_F(ScriptArguments, NumbersAndObjectsArriveInTheScriptsVariables) {
    com::Variant value;  // an empty script variable, as after Dim
    LONG keepAlive = 0;
    ASSERT_EQ(call(m_socket.get(), L"SetSocketOption", {com::argLong(SO_KEEPALIVE), com::argLong(1)}).asLong(), 0);
    EXPECT_EQ(
        call(m_socket.get(), L"GetSocketOption", {com::argLong(SO_KEEPALIVE), com::refVariant(value.put())}).asLong(),
        0);
    EXPECT_EQ(value.type(), VT_I4);
    com::toLong(value.get(), keepAlive);
    EXPECT_NE(keepAlive, 0);

    ComPtr<IDispatch> any = sockName(0);
    VARIANT name = com::argDispatch(any.get());
    EXPECT_EQ(call(m_socket.get(), L"Bind", {com::refVariant(&name)}).asLong(), 0);
    EXPECT_EQ(name.pdispVal, any.get()) << "the script's variable still holds its object";

    com::Variant read, error;
    call(m_socket.get(), L"recv", {com::refVariant(read.put()), com::refVariant(error.put())});
    EXPECT_EQ(read.type(), VT_I4);
    EXPECT_EQ(error.type(), VT_I4);
    LONG code = 0;
    com::toLong(error.get(), code);
    EXPECT_NE(code, 0) << "not connected";
}

TEST_F(ScriptArguments, AnEmptyVariableReceivesAnObjectAndVariantParametersStayAsTheyAre) {
    u_short port = 0;
    ComPtr<IDispatch> listener = libraryListener(m_sockets.get(), port);
    ASSERT_TRUE(listener);
    PlainSocket peer = PlainSocket::connectLocal(port);
    ASSERT_TRUE(pumpUntil([&] { return get(listener.get(), L"IsReadable").asBool(); }, 5000));
    VARIANT list = com::argDispatch(m_sockets.get());
    com::Variant connected;
    Result accepted = call(listener.get(), L"Accept", {com::refVariant(&list), com::refVariant(connected.put())});
    ASSERT_TRUE(accepted.asObject());
    ASSERT_EQ(connected.type(), VT_DISPATCH);
    ASSERT_TRUE(connected.get().pdispVal);
    EXPECT_NE(portOf(connected.get().pdispVal), 0);

    com::Variant data = bytes("hi");
    com::Variant error;
    EXPECT_EQ(call(accepted.asObject().get(), L"Send",
                   {com::refVariant(const_cast<VARIANT*>(&data.get())), com::refVariant(error.put())})
                  .asLong(),
              2);
    EXPECT_EQ(data.type(), VT_ARRAY | VT_UI1) << "a VARIANT parameter gets the variable itself";
    EXPECT_EQ(peer.receive(2, 5000), "hi");
}

TEST_F(ScriptArguments, AVariableThatCannotHoldTheTypeIsStillRefused) {
    Text words(L"many");
    VARIANT value = com::argBstr(words);
    EXPECT_TRUE(
        FAILED(call(m_socket.get(), L"GetSocketOption", {com::argLong(SO_KEEPALIVE), com::refVariant(&value)}).hr));
    EXPECT_EQ(value.vt, VT_BSTR);
    VARIANT number = com::argLong(3);
    EXPECT_TRUE(FAILED(call(m_socket.get(), L"Bind", {com::refVariant(&number)}).hr)) << "a number is no address";
}
