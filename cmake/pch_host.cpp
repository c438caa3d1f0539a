// Holds a precompiled header that other targets of the same tier reuse.
