// The GSM 7-bit default alphabet and its extension table, as UTF-16 code units. SMS bodies in the
// default coding scheme are septets indexing these tables; 0x1B escapes the next septet into the
// extension table.
#pragma once

#include <cstdint>

namespace gsm7 {

inline constexpr uint8_t kEscape = 0x1B;

// The escape has no character of its own; an escape followed by another escape (reserved for a
// further table) is shown as a space.
inline constexpr char16_t kDefaultAlphabet[128] = {
    u'@',    u'\u00A3', u'$',     u'\u00A5', u'\u00E8', u'\u00E9', u'\u00F9', u'\u00EC',  // 0x00
    u'\u00F2', u'\u00C7', u'\n',   u'\u00D8', u'\u00F8', u'\r',     u'\u00C5', u'\u00E5',  // 0x08
    u'\u0394', u'_',     u'\u03A6', u'\u0393', u'\u039B', u'\u03A9', u'\u03A0', u'\u03A8',  // 0x10
    u'\u03A3', u'\u0398', u'\u039E', u' ',     u'\u00C6', u'\u00E6', u'\u00DF', u'\u00C9',  // 0x18
    u' ',    u'!',      u'"',     u'#',      u'\u00A4', u'%',      u'&',      u'\'',      // 0x20
    u'(',    u')',      u'*',     u'+',      u',',      u'-',      u'.',      u'/',       // 0x28
    u'0',    u'1',      u'2',     u'3',      u'4',      u'5',      u'6',      u'7',       // 0x30
    u'8',    u'9',      u':',     u';',      u'<',      u'=',      u'>',      u'?',       // 0x38
    u'\u00A1', u'A',    u'B',     u'C',      u'D',      u'E',      u'F',      u'G',       // 0x40
    u'H',    u'I',      u'J',     u'K',      u'L',      u'M',      u'N',      u'O',       // 0x48
    u'P',    u'Q',      u'R',     u'S',      u'T',      u'U',      u'V',      u'W',       // 0x50
    u'X',    u'Y',      u'Z',     u'\u00C4', u'\u00D6', u'\u00D1', u'\u00DC', u'\u00A7',  // 0x58
    u'\u00BF', u'a',    u'b',     u'c',      u'd',      u'e',      u'f',      u'g',       // 0x60
    u'h',    u'i',      u'j',     u'k',      u'l',      u'm',      u'n',      u'o',       // 0x68
    u'p',    u'q',      u'r',     u's',      u't',      u'u',      u'v',      u'w',       // 0x70
    u'x',    u'y',      u'z',     u'\u00E4', u'\u00F6', u'\u00F1', u'\u00FC', u'\u00E0',  // 0x78
};

// The extension table: the character of an escaped septet, or 0 where the code has no entry (the
// default alphabet's character is shown then).
inline constexpr char16_t ExtensionCharacter(uint8_t septet) {
  switch (septet) {
    case 0x0A:
      return u'\f';
    case 0x14:
      return u'^';
    case 0x28:
      return u'{';
    case 0x29:
      return u'}';
    case 0x2F:
      return u'\\';
    case 0x3C:
      return u'[';
    case 0x3D:
      return u'~';
    case 0x3E:
      return u']';
    case 0x40:
      return u'|';
    case 0x65:
      return u'\u20AC';
    default:
      return 0;
  }
}

}  // namespace gsm7
