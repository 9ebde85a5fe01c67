#include <stdio.h>
#define GREETING "hello, world"
/* a block comment
   over two lines */
int main(void)
{
    int a = 1, b = 2;
    a <<= b; // shift
    if (a >= b && b != 0) { a->b; }
    printf("%s\n", GREETING);
    return 0;
}
