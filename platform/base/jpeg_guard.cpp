#include "platform/base/jpeg_guard.h"

#include <algorithm>
#include <cstddef>

namespace platform {
namespace {

JpegGuard &GuardOf(j_common_ptr info)
{
    return *reinterpret_cast<JpegGuard *>(info->err);
}

void ExitOnError(j_common_ptr info)
{
    std::longjmp(GuardOf(info).jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

void IgnoreWarning(j_common_ptr, int) {}

void CountScans(j_common_ptr info)
{
    auto *decoder = reinterpret_cast<j_decompress_ptr>(info);
    JpegGuard &guard = GuardOf(info);
    guard.scans = std::max(guard.scans, decoder->input_scan_number);
    if (decoder->input_scan_number > kMaxJpegScans) {
        ExitOnError(info);
    }
}

}  // namespace

jpeg_error_mgr *JpegGuardErrors(JpegGuard &guard)
{
    static_assert(offsetof(JpegGuard, errors) == 0);
    jpeg_error_mgr *errors = jpeg_std_error(&guard.errors);
    errors->error_exit = ExitOnError;
    errors->emit_message = IgnoreWarning;
    errors->output_message = IgnoreMessage;
    return errors;
}

void LimitJpegScans(jpeg_decompress_struct &info, JpegGuard &guard)
{
    guard.progress.progress_monitor = CountScans;
    info.progress = &guard.progress;
}

}  // namespace platform
