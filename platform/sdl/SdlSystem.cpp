// SDL2 backend (to come).
