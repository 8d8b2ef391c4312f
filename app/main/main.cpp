// Program entry of Linkar. The desktop frame is not built yet: for now the
// program checks that its runtime starts and says what is runnable.
#include <cstdio>

int main()
{
    std::puts("Linkar 0.1: the runtime and storage engine are built; the desktop window is not available yet.");
    std::puts("Run the test suite with: ./setup.sh test");
    return 0;
}
