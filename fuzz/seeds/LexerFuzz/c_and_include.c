#define M(x) ((x)*2) \
 + 1
int main(void) { char *s = "a/*b\"c"; return N << 2 >>= a->b; /* x */ }
{$I fuzz.pas}
