// Routines never nest: what arrives while one runs waits for it.
#include <gtest/gtest.h>

#include <string>

#include "qt/session.h"
#include "tests/support/scripted_platform.h"

namespace vmqt {
namespace {

TEST(SessionTest, AnEventDuringARoutineRunsAfterItInTurnUnlessItEndedTheProgram) {
    testsupport::ScriptedPlatform platform;
    app::Program program(platform.services);
    Session session(program);
    std::string order;
    int redraws = 0;
    QObject::connect(&session, &Session::redrawRequested, [&redraws] { ++redraws; });
    const bool ran = session.run([&](app::Program&) {
        order += "a";
        // As a yield would deliver them: a mouse release, then a key.
        EXPECT_FALSE(session.run([&](app::Program&) { order += "b"; }));
        EXPECT_FALSE(session.run([&](app::Program&) { order += "c"; }));
        order += "A";
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(order, "aAbc");
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(session.running());

    // Nothing waiting runs once a routine ended the program.
    int ended = 0;
    QObject::connect(&session, &Session::programEnded, [&ended] { ++ended; });
    bool waitingRan = false;
    session.run([&](app::Program& p) {
        session.run([&](app::Program&) { waitingRan = true; });
        p.ended = true;
    });
    EXPECT_FALSE(waitingRan);
    EXPECT_EQ(ended, 1);
}

}  // namespace
}  // namespace vmqt
