/* OstrelFfmpeg: the suite's video library (H.264 decode and encode, RTSP, MP4), on FFmpeg. */
#ifndef OSTREL_FFMPEG_H
#define OSTREL_FFMPEG_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define OSTREL_FFMPEG_API __attribute__((visibility("default")))

#ifdef __cplusplus
}
#endif

#endif /* OSTREL_FFMPEG_H */
