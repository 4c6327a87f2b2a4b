// JpegErrorTrap: libjpeg's standard error manager with a way back out. The
// library reports a fatal error by calling error_exit, which must not return;
// the trap's handler prints the library's message on the standard error
// stream and long-jumps to the recovery point the caller set with setjmp
// before its first library call. Decoding and encoding code own one trap per
// codec object, on the stack of the function that holds the recovery point.
//
// Between that setjmp and the library calls no object with a destructor may
// be alive in the frames the jump skips.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorTrap {
  jpeg_error_mgr manager;  // first: the library hands its address to the handlers
  jmp_buf recovery;        // error_exit jumps here with the value 1
};

// Sets up the standard manager with error_exit replaced and returns it, for
// the codec object's `err` field.
jpeg_error_mgr* InitJpegErrorTrap(JpegErrorTrap* trap);
