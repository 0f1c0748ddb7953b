// Why a data file could not be read or written, in the game's own Japanese words (UTF-8): the
// same on every system, where the C library's text differs between them.
#pragma once

const char* JapaneseReason(int error);
