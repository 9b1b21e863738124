// The level shown for a reading: a reading above the top shows the top.
int shown_level(int reading, int top) {
    if (reading > top) return top;
    return reading;
}

// A bonus no check looks at.
int bonus() { return 3; }

// Built for Windows only: never mutated.
#ifdef _WIN32
int spare() { return 5; }
#endif
