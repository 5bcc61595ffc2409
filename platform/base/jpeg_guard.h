// What every JPEG decoder of the program installs in libjpeg-turbo: fatal errors jump back to the
// caller instead of ending the program, warnings are dropped, and a progressive stream with more
// scans than any encoder writes is refused. Each scan is a pass over the whole picture, so a small
// file of thousands of empty scans would otherwise keep the decoder busy for minutes.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace platform {

constexpr int kMaxJpegScans = 500;

struct JpegGuard {
    jpeg_error_mgr errors{};  // first: libjpeg hands it back as the guard
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    int scans = 0;  // the most scans the decoder started
};

// Error handling for an encoder or decoder: set info.err to it before jpeg_create_*, then call
// setjmp(guard.jump) before using the codec.
jpeg_error_mgr *JpegGuardErrors(JpegGuard &guard);

// The scan limit for a decoder, after jpeg_create_decompress.
void LimitJpegScans(jpeg_decompress_struct &info, JpegGuard &guard);

}  // namespace platform
