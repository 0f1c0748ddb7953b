// Stub, replaced by the SDL2 program entry.
int main() { return 0; }
