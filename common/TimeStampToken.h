// The time in an RFC 3161 time-stamp token's TSTInfo: the DER bytes of
//
//   TSTInfo ::= SEQUENCE { version INTEGER, policy OBJECT IDENTIFIER,
//                          messageImprint SEQUENCE, serialNumber INTEGER,
//                          genTime GeneralizedTime, ... }
//
// (or an OCTET STRING holding them, as a signed message's content is
// given by some decoders), read over bytes that are not trusted: every length is checked against
// what is left, and only "YYYYMMDDhhmmss[.fraction]Z" is a time. Plain
// C++; the platform's decoders do not all read TSTInfo.
#pragma once

#include <cstddef>
#include <cstdint>

struct TokenTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;  // UTC
};

bool TimeStampTokenTime(const uint8_t* data, size_t size, TokenTime* time);
