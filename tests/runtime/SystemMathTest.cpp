// The arithmetic functions: values, result types, argument checks and domain errors.
#include "SystemTestSupport.h"

TEST_F(SystemTest, ArithmeticFunctionsComputeTheirValues)
{
    ExpectOutputs({
        {"", "write(abs(-5), ' ', abs(7), ' ', abs(-2.5):0:2)", "5 7 2.50"},
        {"var l: longint;", "l := -100000; write(abs(l))", "100000"},
        {"", "write(sqr(7), ' ', sqr(-1.5):0:2)", "49 2.25"},
        {"var w: word;", "w := 1000; write(sqr(w))", "1000000"},
        {"", "write(sqrt(16):0:3, ' ', sqrt(0):0:1, ' ', sqrt(2):0:4)", "4.000 0.0 1.4142"},
        {"", "write(ln(1):0:3, ' ', exp(1):0:5, ' ', exp(0):0:1)", "0.000 2.71828 1.0"},
        {"", "write(sin(0):0:3, ' ', cos(0):0:3, ' ', arctan(1) * 4:0:5)", "0.000 1.000 3.14159"},
        {"", "write(frac(2.75):0:2, ' ', frac(-2.75):0:2, ' ', frac(3):0:1)", "0.75 -0.75 0.0"},
        {"", "write(int(2.75):0:1, ' ', int(-2.75):0:1)", "2.0 -2.0"},
        {"", "write(trunc(2.99), ' ', trunc(-2.99), ' ', trunc(5))", "2 -2 5"},
        {"", "write(pi:0:6)", "3.141593"},
        {"var b: boolean;", "b := true; write(sqrt(b):0:1)", "1.0"},
    });
}

TEST_F(SystemTest, RoundGoesToTheEvenNeighbourOnTies)
{
    ExpectOutputs({
        {"", "write(round(2.5), ' ', round(3.5), ' ', round(-2.5), ' ', round(-3.5))", "2 4 -2 -4"},
        {"", "write(round(2.4999), ' ', round(2.5001), ' ', round(-0.4))", "2 3 0"},
    });
}

TEST_F(SystemTest, ResultsFollowTheirArgumentWhereTheyShould)
{
    // ABS and SQR of a real stay real, so they take decimals; of an integer they do not.
    ExpectOutputs({
        {"var r: real;", "r := abs(-3) + sqr(2); write(r:0:1)", "7.0"},
        {"", "write(abs(-3.0):0:1, ' ', sqr(0.5):0:2)", "3.0 0.25"},
    });
    ExpectErrors({
        {"", "write(abs(-3):0:1)", 65, false},
        {"var i: integer;", "i := round(2.5)", 0, true},
        {"var i: integer;", "i := sqrt(4)", 28, false},
    });
}

TEST_F(SystemTest, ArithmeticArgumentsAreChecked)
{
    ExpectErrors({
        {"", "write(abs('a'))", 60, false},
        {"", "write(sqr('a'))", 66, false},
        {"", "write(sqrt('a'))", 66, false},
        {"", "write(ln('a'))", 65, false},
        {"", "write(sin('a'))", 66, false},
        {"", "write(exp(true))", 66, false},
        {"", "write(frac('x'))", 66, false},
        {"", "write(int(3))", 66, false},
        {"", "write(round(3))", 66, false},
        {"", "write(trunc('c'))", 66, false},
        {"", "write(sqrt 4)", 1, false},
    });
}

TEST_F(SystemTest, ArithmeticDomainsStopTheRun)
{
    ExpectErrors({
        {"", "write(sqrt(-1))", 229, true},
        {"", "write(ln(0))", 229, true},
        {"", "write(ln(-2.5))", 229, true},
        {"", "write(trunc(1e12))", 224, true},
        {"", "write(round(-1e12))", 224, true},
    });
}
