// Runs every QTest class of the IDE in one program; each class gets its own report section.
#include "IdeTests.h"
#include "RunViewsTests.h"
#include "ViewsTest.h"

#include <QApplication>
#include <QTest>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    int failures = 0;
    {
        SupportTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        BreakpointTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        TextScreenTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        MainFormTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        SteppingTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        BreakpointRunTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        MicroStepTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        PupilRoadTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        ProgramOptionsTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        ViewsTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
