// Japanese text needs a font that has its glyphs; without one every caption
// shows as empty boxes. The check runs once at start-up.
#pragma once
#include <QString>

namespace kv::qt {

// An installed font family with the Japanese writing system ("" when none is
// installed); a sans-serif one when there is a choice.
QString japaneseFontFamily();

// Makes sure the application font draws Japanese: when the default font does
// not, the application font becomes japaneseFontFamily() (same size). False
// when no installed font covers Japanese.
bool useJapaneseFont();

// What the user is told when no font covers Japanese (in English: Japanese
// text cannot be shown then).
QString missingJapaneseFontNotice();

}  // namespace kv::qt
