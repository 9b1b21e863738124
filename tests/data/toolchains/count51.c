/* Counts on port 1 of an 8051, with a table in code memory. */
#include <8051.h>

__code const unsigned char steps[] = {1, 2, 4, 8, 16, 32, 64, 128, 64, 32, 16, 8, 4, 2};

void pause(unsigned int n) {
    while (n--) {
        unsigned char i = 200;
        while (i--) {
        }
    }
}

void main(void) {
    unsigned char k = 0;
    for (;;) {
        P1 = steps[k];
        k = k == sizeof steps - 1 ? 0 : k + 1;
        pause(500);
    }
}
