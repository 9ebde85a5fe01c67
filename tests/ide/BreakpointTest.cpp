// Breakpoint lists: toggling, following edits, triggering.
#include "IdeTests.h"

#include "ide/Qbbkpoint.h"

#include <QTest>

void BreakpointTest::TogglingTwiceLeavesAnInactiveBreakpoint()
{
    Qbbklist list;
    QVERIFY(list.Toggle("/p/a.pas", 4));
    QVERIFY(!list.Toggle("/p/a.pas", 4));
    QVERIFY(list.Find(4) != nullptr);
    QCOMPARE(list.Find(4)->GetStatus(), int(Qbbkpoint::Inactive));
    QCOMPARE(list.Find(4)->Name, std::string("a.pas_5"));
}

void BreakpointTest::DeletedLineDiesAndLinesBelowMoveUp()
{
    Qbbklist list;
    list.Add("a.pas", 3);
    list.Add("a.pas", 4);
    list.LineDeleted(3);
    // The breakpoint of line 4 moved onto line 3 and answers for it; the dead one waits.
    QVERIFY(list.Find(3) != nullptr);
    QCOMPARE(list.Find(3)->GetStatus(), int(Qbbkpoint::Active));
    QCOMPARE(list.Points().size(), std::size_t{2});
    QCOMPARE(list.Purge(false), std::vector<int>{3});
    QCOMPARE(list.Points().size(), std::size_t{1});
    QVERIFY(list.Triggered(3, {}, {}));
}

void BreakpointTest::InsertedLineMovesBreakpointsDown()
{
    Qbbklist list;
    list.Add("a.pas", 2);
    list.Add("a.pas", 7);
    list.LineInserted(5);
    QVERIFY(list.Find(2) != nullptr);
    QVERIFY(list.Find(7) == nullptr);
    QVERIFY(list.Find(8) != nullptr);
}

void BreakpointTest::FalseConditionNeitherStopsNorSwitches()
{
    Qbbklist list;
    Qbbkpoint& conditional = list.Add("a.pas", 1);
    Qbbkpoint& other = list.Add("a.pas", 2);
    other.SetStatus(Qbbkpoint::Inactive);
    conditional.Condition = "I > 3";
    conditional.ToActivate = {other.Name};
    const auto lookup = [&](const std::string& name) {
        return name == other.Name ? &other : nullptr;
    };
    QVERIFY(!list.Triggered(
        1, [](const std::string&, const std::string&) { return false; }, lookup));
    QCOMPARE(other.GetStatus(), int(Qbbkpoint::Inactive));
    QVERIFY(list.Triggered(
        1, [](const std::string&, const std::string&) { return true; }, lookup));
    QCOMPARE(other.GetStatus(), int(Qbbkpoint::Active));
}

void BreakpointTest::NonSuspendingBreakpointOnlySwitchesOthers()
{
    Qbbklist list;
    Qbbkpoint& switcher = list.Add("a.pas", 1);
    Qbbkpoint& target = list.Add("a.pas", 9);
    switcher.Suspend = false;
    switcher.ToDeactivate = {target.Name};
    QVERIFY(!list.Triggered(1, {}, [&](const std::string&) { return &target; }));
    QCOMPARE(target.GetStatus(), int(Qbbkpoint::Inactive));
    QVERIFY(!list.Triggered(9, {}, {}));
    QVERIFY(!list.Triggered(5, {}, {}));
}

void BreakpointTest::StatusFollowsFlagsInOrder()
{
    Qbbkpoint point("a.pas", 0);
    QCOMPARE(point.GetStatus(), int(Qbbkpoint::Active));
    point.IsForbidden = true;
    point.IsDying = true;
    QCOMPARE(point.GetStatus(), int(Qbbkpoint::Dying));
    point.SetStatus(Qbbkpoint::Forbidden);
    QVERIFY(point.IsForbidden && !point.IsDying && !point.IsActive);
    point.SetStatus(Qbbkpoint::Inactive);
    QVERIFY(!point.IsForbidden && !point.IsDying && !point.IsActive);
    QCOMPARE(Qbbkpoint::StatusName(point.GetStatus()), std::string("inactive"));
}
