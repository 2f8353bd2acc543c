#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "call_report_text.h"
#include "program/check/battery.h"
#include "program/check/child/call_report.h"
#include "program/check/explore/session.h"
#include "program/check/explore/session_host.h"
#include "program/check/explore/session_maker.h"
#include "program/check/explore/shrink.h"
#include "program/check/isolation.h"
#include "program/check/shortest_replay.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

using simhost::check::failureKind;
using simhost::check::parseSession;
using simhost::check::Session;
using simhost::check::SessionHost;
using simhost::check::SessionMaker;
using simhost::check::sessionText;
using simhost::check::shrunk;
using simhost::check::Step;
using simhost::check::VariableShape;

// A session drawn as the explore check draws it, against a host that loads and unloads as asked
// and knows one switch from the first load on.
std::string drawn(std::uint64_t seed, long long number) {
    SessionMaker maker(seed, number, 8);
    const std::vector<VariableShape> known{{"cl_switch", 0.0f, 1.0f}};
    bool loaded = false;
    bool everLoaded = false;
    Session session;
    for (long long at = 0; at < maker.length(); ++at) {
        session.push_back(maker.next(loaded, everLoaded ? known : std::vector<VariableShape>{}));
        loaded = session.back().kind == Step::Kind::Load ||
                 (loaded && session.back().kind == Step::Kind::Draw) ||
                 (loaded && session.back().kind == Step::Kind::Set);
        everLoaded = everLoaded || loaded;
    }
    return sessionText(session);
}

TEST(Explore, TheSameSeedDrawsTheSameSessionsOnEveryPlatform) {
    // Pinned whole: the Windows build runs this same test, so a platform whose numbers or
    // formatting differ fails here.
    EXPECT_EQ(drawn(1, 1),
              "load; set cl_switch abc; draw 3840x2160; unload keep; set cl_switch 1; set "
              "cl_switch nan; load");
    EXPECT_EQ(drawn(1, 2), "draw 6x8; load; draw 1x2; unload");
    EXPECT_EQ(drawn(7, 1),
              "load; draw 0x0; draw 2170x1901; draw 3840x2160; draw 0x0; draw 16384x3; draw 10x4; "
              "set cl_switch -1");
    EXPECT_EQ(drawn(1, 1), drawn(1, 1));
    EXPECT_NE(drawn(1, 1), drawn(2, 1));
}

TEST(Explore, SessionsReadBackAsTheyAreWritten) {
    const std::string text =
        "load; draw 7x1; set cl_switch \"\"; set \"a b\" \"1 2\"; unload early; unload keep; "
        "unload; draw 0x0; draw 16384x1";
    const auto session = parseSession(text);
    ASSERT_TRUE(session) << session.reason();
    EXPECT_EQ(sessionText(*session), text);
    EXPECT_EQ(parseSession(sessionText(*session))->size(), 9U);

    for (const auto& [typed, reason] : std::vector<std::pair<std::string, std::string>>{
             {"", "no steps given"},
             {"load; jump",
              "step 2: no step reads \"jump\" so; the steps are load, unload "
              "[early|keep], draw WxH and set NAME TEXT"},
             {"draw 7",
              "step 1: \"7\" is not a size; write it as WIDTHxHEIGHT, for example 1920x1080"},
             {"draw 16385x1",
              "step 1: size \"16385x1\" is out of range; each side must be from 0 to 16384"},
             {"unload later",
              "step 1: no step reads \"unload\" so; the steps are load, unload "
              "[early|keep], draw WxH and set NAME TEXT"},
             {"set \"x", "the double quote at column 5 is never closed"},
         }) {
        const auto refused = parseSession(typed);
        ASSERT_FALSE(refused) << typed;
        EXPECT_EQ(refused.reason(), reason);
    }
    std::string long_session = "load";
    for (int i = 0; i < 64; ++i) {
        long_session += "; load";
    }
    EXPECT_EQ(parseSession(long_session).reason(), "more than 64 steps");
}

TEST(Explore, ShrinkingKeepsTheFailureAndDropsTheRest) {
    // Fails whenever a load is followed, later, by a draw on a canvas 7 wide.
    const auto fails = [](const Session& session) {
        bool loaded = false;
        for (const Step& step : session) {
            loaded = loaded || step.kind == Step::Kind::Load;
            if (loaded && step.kind == Step::Kind::Draw && step.size.X == 7) {
                return true;
            }
        }
        return false;
    };
    const auto session = parseSession(
        "draw 3x3; set a 0.5; load; draw 40x2; unload early; set a abc; load; "
        "draw 7x13; draw 9x9; unload");
    ASSERT_TRUE(session);
    int trials = 0;
    const Session shortest = shrunk(*session, [&](const Session& candidate) {
        ++trials;
        return fails(candidate);
    });
    EXPECT_EQ(sessionText(shortest), "load; draw 7x0");
    // A budget is kept: the shortest found by then is the answer, still failing.
    trials = 0;
    const Session cut = shrunk(
        *session,
        [&](const Session& candidate) {
            ++trials;
            return fails(candidate);
        },
        3);
    EXPECT_EQ(trials, 3);
    EXPECT_TRUE(fails(cut));
}

TEST(Explore, FailuresOfOneKindAreTheSameFailure) {
    EXPECT_EQ(failureKind("seed 1, session 4: step 5 of 7 (draw 10x0): the heap grew on each of "
                          "3 draws in a row"),
              "the heap grew on each of 3 draws in a row");
    EXPECT_EQ(failureKind("step 2 (draw 7x1): crashed with signal 11 (SIGSEGV) in a draw; its "
                          "last words: \"x\""),
              "crashed with signal 11 (SIGSEGV) in a draw");
    EXPECT_EQ(failureKind("step 1 of 1 (load): loading failed: onLoad threw: boom"),
              "loading failed");
    EXPECT_NE(failureKind("step 3 (draw 1x1): a draw failed: x"),
              failureKind("step 3 (draw 1x1): crashed with signal 6 (SIGABRT) in a draw"));
}

TEST(Explore, AskingForMoreSessionsOrCyclesIsNotAskingForATimeout) {
    using simhost::check::allowed;
    using simhost::check::Check;
    using simhost::check::Settings;
    // The battery's own rows: their fields say which checks repeat as asked.
    const auto row = [](const std::string& id) {
        const auto& checks = simhost::check::battery();
        return *std::find_if(checks.begin(), checks.end(),
                             [&](const Check& check) { return check.id == id; });
    };
    const Check explore = row("explore");
    const Check cycles = row("cycles");
    const Check other = row("load");
    Settings settings;
    settings.explore.sessions = 1000;
    settings.cycles = 250;
    const simhost::check::Timeout given{2.5, "2.5"};
    for (const auto& [check, seconds, told] :
         {std::tuple{&explore, 25.0, "25"}, std::tuple{&cycles, 7.5, "7.5"},
          std::tuple{&other, 2.5, "2.5"}}) {
        const auto timeout = allowed(*check, settings, given);
        EXPECT_EQ(timeout.seconds, seconds) << check->id;
        EXPECT_EQ(timeout.given, told) << check->id;
    }
    settings.explore.sessions = 100;
    EXPECT_EQ(allowed(explore, settings, given).given, "2.5");
}

TEST(Explore, StepLinesTellTheSessionInProgress) {
    const std::string token = "0123456789abcdef";
    using simhost::check::stepLine;
    const auto report = readCallReport(
        stepLine(1, "load", token) + stepLine(2, "load", token) + stepLine(2, "draw 7x1", token),
        token);
    EXPECT_FALSE(report.foreign);
    EXPECT_EQ(report.session, 2);
    EXPECT_EQ(report.steps, (std::vector<std::string>{"load", "draw 7x1"}));
    std::string tooMany;
    for (int i = 0; i < 65; ++i) {
        tooMany += stepLine(3, "load", token);
    }
    EXPECT_TRUE(readCallReport(tooMany, token).foreign);
    EXPECT_TRUE(readCallReport(token + " step x load\n", token).foreign);
}

TEST(Explore, TavorindenKeepsTheContractInEveryStepOfAHostSession) {
    SessionHost host(tavorindenModule(), {}, false);
    const auto session = parseSession(
        "draw 5x5; load; set cl_tavorinden 0; draw 1920x1080; set cl_tavorinden abc; unload "
        "keep; set cl_tavorinden 1; load; load; draw 0x0; unload early; unload; load; draw "
        "16384x1");
    ASSERT_TRUE(session);
    for (const Step& step : *session) {
        const auto broken = host.take(step);
        EXPECT_FALSE(broken) << simhost::check::stepText(step) << ": " << broken->text();
    }
    EXPECT_TRUE(host.loaded());
    ASSERT_EQ(host.variables().size(), 1U);
    EXPECT_EQ(host.variables()[0].name, "cl_tavorinden");
}

TEST(Explore, EachBrokenPromiseIsToldAtItsStepWithItsKind) {
    struct Case {
        const char* module;
        const char* session;
        std::size_t brokenAt;  // the step that breaks, from 0
        const char* text;
    };
    for (const Case& c : std::vector<Case>{
             {"broken_keeps_drawable", "load; draw 1x1; unload", 2,
              "onUnload left drawables registered: 1"},
             {"broken_draw_throws", "draw 3x3; load; draw 3x3", 2,
              "a draw failed: fixture failure in a draw"},
             {"fixture_failing_onload", "draw 1x1; load", 1,
              "loading failed: loading the plug-in failed: onLoad threw: fixture failure in "
              "onLoad"},
             {"misbehaving_throws_in_onunload", "load; unload keep", 1,
              "unloading failed: onUnload failed: fixture failure in onUnload"},
             {"order_flips_its_boolean", "load; set order_enabled 1; draw 0x1", 2,
              "a bound boolean disagrees with its variable: order_enabled is 1"},
         }) {
        SessionHost host(modulePath(c.module), {}, false);
        const auto session = parseSession(c.session);
        ASSERT_TRUE(session) << c.session;
        for (std::size_t at = 0; at < session->size(); ++at) {
            const auto broken = host.take((*session)[at]);
            if (at != c.brokenAt) {
                EXPECT_FALSE(broken) << c.module << " step " << at << ": " << broken->text();
                continue;
            }
            ASSERT_TRUE(broken) << c.module << " step " << at;
            EXPECT_EQ(broken->text(), c.text) << c.module;
        }
    }
}

TEST(Explore, InProcessFailuresAreShrunkToAReplayThatFailsAlike) {
    const std::string module = modulePath("order_second_drawable").string();
    const SimhostRun found = runSimhost({"check", "--in-process", "--only", "explore", module});
    EXPECT_EQ(found.status, 1);
    const std::string replay = "load; unload keep; load";
    EXPECT_NE(found.out.find("; shortest replay, 3 steps: simhost check --only explore --replay '" +
                             replay + "' '"),
              std::string::npos)
        << found.out;
    const SimhostRun replayed =
        runSimhost({"check", "--in-process", "--only", "explore", "--replay", replay, module});
    EXPECT_EQ(replayed.status, 1);
    EXPECT_EQ(replayed.out,
              "FAIL explore: step 3 of 3 (load): a load registered other than the session's first "
              "load: 2 drawables and 1 variable, not 1 drawable and 1 variable\n0 passed, 1 "
              "failed\n");
}

}  // namespace
