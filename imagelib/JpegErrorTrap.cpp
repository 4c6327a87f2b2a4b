#include "imagelib/JpegErrorTrap.h"

namespace {

[[noreturn]] void TrapErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
  std::longjmp(trap->recovery, 1);
}

}  // namespace

jpeg_error_mgr* InitJpegErrorTrap(JpegErrorTrap* trap) {
  jpeg_std_error(&trap->manager);
  trap->manager.error_exit = TrapErrorExit;
  return &trap->manager;
}
