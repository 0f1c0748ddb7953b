// Sprite sheet painter (to come).
