/* Toggles PB5 (pin 13 of a 328P board) twice a second. */
#include <avr/io.h>
#include <util/delay.h>

static const char banner[] = "blink for the loader test";
volatile char sink;

int main(void) {
    DDRB |= _BV(DDB5);
    for (unsigned i = 0;; ++i) {
        PORTB ^= _BV(PORTB5);
        sink = banner[i % (sizeof banner - 1)];
        _delay_ms(500);
    }
}
