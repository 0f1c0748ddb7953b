// Replay trace (to come).
