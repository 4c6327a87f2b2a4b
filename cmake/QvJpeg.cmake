# libjpeg (6b interface) as the target qv_jpeg: for Windows the static
# library that scripts/setup cross-builds into the build tree, natively
# Debian's libjpeg-turbo.
add_library(qv_jpeg INTERFACE)
if(WIN32)
  set(QV_JPEG_PREFIX ${CMAKE_BINARY_DIR}/deps/libjpeg CACHE PATH "cross-built libjpeg")
  if(NOT EXISTS ${QV_JPEG_PREFIX}/lib/libjpeg.a)
    message(FATAL_ERROR "no libjpeg in ${QV_JPEG_PREFIX}: run scripts/setup first")
  endif()
  target_include_directories(qv_jpeg SYSTEM INTERFACE ${QV_JPEG_PREFIX}/include)
  target_link_libraries(qv_jpeg INTERFACE ${QV_JPEG_PREFIX}/lib/libjpeg.a)
else()
  find_package(JPEG REQUIRED)
  target_link_libraries(qv_jpeg INTERFACE JPEG::JPEG)
endif()
