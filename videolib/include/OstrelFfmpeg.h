/* OstrelFfmpeg: the suite's video library (H.264 decode and encode, RTSP reading and recording,
 * MP4 writing), built on FFmpeg's libavcodec, libavformat, libswscale and libavutil.
 *
 * Callers bind the functions by name. The numbers in brackets, e.g. [10], are the fixed call
 * numbers by which the rest of the suite refers to each function.
 *
 * Conventions for every function below:
 * - Results are int: 0 or positive is success, negative is one of the OSTREL_FF_E_* codes
 *   (they have the same values as the SDK's shared status codes). Functions returning a
 *   handle return null on failure. Nothing is thrown.
 * - Handles are opaque heap objects made by a Create/Open call and released by the matching
 *   Free/Close call, which takes the address of the caller's pointer, sets it to null and does
 *   nothing for a null pointer or a pointer to null.
 * - Pictures are BGRA, 4 bytes per pixel (B, G, R, A in memory order), rows top to bottom, no
 *   row padding: width x height x 4 bytes. Sizes are pixels, rates frames per second.
 * - Paths are UTF-8. The container is chosen from the file name's extension (".mp4", ".mkv",
 *   ".ts", ".h264" and the other extensions FFmpeg knows); an unknown or missing extension
 *   writes MP4.
 * - Codec codes ("encoder"/"decoder" settings of the SDK): 0 software; 2 "cuda", 5 "qsv",
 *   7 "d3d11va" ask for hardware, which this library does not use: it falls back to software
 *   H.264 (decoder "h264", encoder "libx264") and logs that once per process.
 * - A handle may be used by one thread at a time, except where a function says otherwise.
 * - Diagnostics go only to the log callback (OstrelFfmpeg_SetLogCallback); the library never
 *   writes to stdout or stderr. */
#ifndef OSTREL_FFMPEG_H
#define OSTREL_FFMPEG_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#define OSTREL_FFMPEG_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define OSTREL_FFMPEG_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#define OSTREL_FFMPEG_API __attribute__((visibility("default")))

/* ---- Result codes --------------------------------------------------------------------- */
#define OSTREL_FF_OK 0
#define OSTREL_FF_PENDING 1          /* accepted, but no picture or packet came out (yet) */
#define OSTREL_FF_E_FAILED (-1)      /* FFmpeg reported an error; details in the log */
#define OSTREL_FF_E_UNSUPPORTED (-2) /* no H.264 codec or no container for this file name */
#define OSTREL_FF_E_NO_MEMORY (-5)
#define OSTREL_FF_E_STATE (-7)       /* not configured, no file open, nothing recorded */
#define OSTREL_FF_E_ARGUMENT (-8)    /* null pointer, zero size, length out of range */
#define OSTREL_FF_E_HANDLE (-10)     /* null handle */
#define OSTREL_FF_E_DATA (-11)       /* the data is not decodable H.264 */
#define OSTREL_FF_E_STREAM_END (-17) /* RTSP: the server ended the stream or the connection */
#define OSTREL_FF_E_TIMEOUT (-97)    /* RTSP: no picture within OSTREL_RTSP_READ_TIMEOUT_MS */
#define OSTREL_FF_E_WRITE (-197)     /* writing the output file failed */
#define OSTREL_FF_E_OPEN (-200)      /* the output file could not be created */

/* ---- Library start, stop and logging --------------------------------------------------- */

/* Log levels handed to the callback; the same numbers as the suite's logger. */
#define OSTREL_FF_LOG_DEBUG 1
#define OSTREL_FF_LOG_INFO 2
#define OSTREL_FF_LOG_WARN 3
#define OSTREL_FF_LOG_ERROR 4

/* Receives one message: level, text (zero-terminated, one or more lines without a trailing
 * newline, valid only during the call) and the caller's user pointer. Called on whichever thread
 * the message arose, including FFmpeg's own worker threads, possibly on several at once, so it
 * must be thread-safe and must not call back into this library. */
typedef void (*OstrelFfmpegLogCallback)(int level, const char* text, void* user);

/* Installs the log callback (null: messages are dropped, the default) and the lowest level
 * passed on (messages below minLevel are dropped). FFmpeg's own messages are passed on from
 * OSTREL_FF_LOG_WARN up, as FFmpeg formats them; the route is set up by OstrelFfmpeg_Init or
 * the first Create/Open call and stays for the life of the process. Any thread; takes effect
 * for messages that start after the call. Does not block. */
OSTREL_FFMPEG_API void OstrelFfmpeg_SetLogCallback(OstrelFfmpegLogCallback callback, void* user,
                                                   int minLevel);

/* [4] Starts the library: FFmpeg's network support (RTSP) and the route of FFmpeg's messages
 * into the log callback. Returns 0 (also when already started; calls are counted). Any thread;
 * does not block. The other functions also work without it. */
OSTREL_FFMPEG_API int OstrelFfmpeg_Init(void);

/* [3] Stops the library after the last matching OstrelFfmpeg_Init: releases FFmpeg's network
 * support. Returns 0; a call without a started library does nothing. Handles still open stay
 * usable. Any thread; does not block. */
OSTREL_FFMPEG_API int OstrelFfmpeg_Uninit(void);

/* ---- H.264 decoder (camera video and mixed streams) ------------------------------------ */

/* Decoder set-up record, 84 bytes, zero-filled by the caller. */
typedef struct H264DecConfig {
  uint32_t codec;      /* 0: codec code (see the conventions above) */
  uint16_t width;      /* 4: picture width every decoded picture is scaled to, 1..8192 */
  uint16_t height;     /* 6: picture height every decoded picture is scaled to, 1..8192 */
  uint16_t fpsNum;     /* 8: frame rate numerator (camera start record byte 128); 0 -> 25/1 */
  uint16_t fpsDen;     /* 10: frame rate denominator (start record byte 130); 0 -> 25/1 */
  uint32_t reserved;   /* 12: 0 */
  int32_t extraLength; /* 16: number of bytes in extra, 0..64 */
  uint8_t extra[64];   /* 20: codec set-up bytes: SPS and PPS, Annex-B or avcC form */
} H264DecConfig;
OSTREL_FFMPEG_STATIC_ASSERT(sizeof(H264DecConfig) == 84, "H264DecConfig size");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(H264DecConfig, fpsNum) == 8, "H264DecConfig fpsNum");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(H264DecConfig, extraLength) == 16, "H264DecConfig extraLength");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(H264DecConfig, extra) == 20, "H264DecConfig extra");

typedef struct H264Decoder H264Decoder;

/* [10] Creates an unconfigured decoder. Returns the handle, or null without memory. The caller
 * owns it and releases it with H264Dec_Free. Any thread; does not block. */
OSTREL_FFMPEG_API H264Decoder* H264Dec_Create(void);

/* [11] Configures the decoder from *config (copied; the caller keeps ownership). A decoder
 * configured before is replaced, so the next picture needs a key frame. The frame rate is used
 * only to time-stamp recordings (H264Dec_BeginSave). Set-up bytes that FFmpeg refuses are
 * logged and ignored (the stream's own SPS and PPS are used). Returns 0; -10 null handle; -8
 * null config, a size of 0 or above 8192, or extraLength outside 0..64; -2 no H.264 decoder;
 * -1 FFmpeg failed to open it. Must not run while a recording of this handle is open (-7). */
OSTREL_FFMPEG_API int H264Dec_SetConfig(H264Decoder* dec, const H264DecConfig* config);

/* [6] Decodes one access unit (the H.264 data of one camera frame, Annex-B) and writes the
 * picture, scaled to the configured width x height, into bgra (width x height x 4 bytes, owned
 * by the caller; never written beyond that size, whatever size the stream states). Blocks for
 * the decoding time only; pictures come out with the packet that carries them (no frame-thread
 * delay). An empty access unit (length 0) is skipped and never handed to the decoder.
 * Returns 0 when a picture was written; 1 when the data was accepted without a picture (empty
 * unit, missing reference, parameter sets only), bgra untouched; -10 null handle; -7 not
 * configured; -8 null data with length above 0, null bgra or a negative length; -11 the data
 * does not decode (the decoder goes on with the next unit). */
OSTREL_FFMPEG_API int H264Dec_Decode(H264Decoder* dec, const uint8_t* data, int length, uint8_t* bgra);

/* [7] Begins recording the received stream into the file path (UTF-8): access units handed to
 * H264Dec_SavePacket are stored unchanged, time-stamped at the configured frame rate, starting
 * with the first unit that holds an IDR picture (earlier ones are skipped), so the file decodes
 * from its first frame. The parameter sets come from the stream, from the set-up bytes or from
 * units seen before by H264Dec_Decode. A recording already open is ended first. Returns 0 when
 * recording; -10 null handle; -8 null or empty path; -7 not configured; -2 unknown container;
 * -200 the file could not be created; -1 FFmpeg failed. May run on another thread than
 * H264Dec_Decode (the save functions lock the handle). Blocks for the file creation. */
OSTREL_FFMPEG_API int H264Dec_BeginSave(H264Decoder* dec, const char* path);

/* [9] Appends one access unit (data, length bytes, Annex-B, copied) to the recording. Returns 0
 * when stored or skipped (no recording open, empty unit, waiting for the first IDR picture);
 * -10 null handle; -8 null data with length above 0 or a negative length; -197 the write failed
 * (the recording stays open). Blocks for the file write. */
OSTREL_FFMPEG_API int H264Dec_SavePacket(H264Decoder* dec, const uint8_t* data, int length);

/* [8] Ends the recording: writes the container's index and closes the file. Returns 0; -10
 * null handle; -7 no recording open, or no IDR picture arrived (the empty file is removed);
 * -197 finishing the file failed. Blocks for the file write. */
OSTREL_FFMPEG_API int H264Dec_EndSave(H264Decoder* dec);

/* [5] Ends an open recording, frees the decoder and sets *dec to null. Null or *dec null: no-op. */
OSTREL_FFMPEG_API void H264Dec_Free(H264Decoder** dec);

/* ---- H.264 encoder (temperature preview recordings, MP4 export) ------------------------ */

/* Encoder set-up record, 80 bytes, zero-filled by the caller. */
typedef struct H264EncConfig {
  uint32_t codec;       /* 0: codec code (see the conventions above) */
  uint16_t width;       /* 4: width of the BGRA pictures handed to H264Enc_Encode, 2..8192 */
  uint16_t height;      /* 6: height of those pictures, 2..8192 */
  uint16_t fpsNum;      /* 8: frame rate numerator; 0 (or a 0 denominator) -> 25/1 */
  uint16_t fpsDen;      /* 10: frame rate denominator */
  uint16_t keyInterval; /* 12: frames from one key frame to the next; 0 -> one second */
  uint16_t bitRate;     /* 14: kbit/s (4000 = 4 Mbit/s); 0 -> constant quality (CRF 23) */
  uint8_t reserved[64]; /* 16: 0 */
} H264EncConfig;
OSTREL_FFMPEG_STATIC_ASSERT(sizeof(H264EncConfig) == 80, "H264EncConfig size");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(H264EncConfig, fpsNum) == 8, "H264EncConfig fpsNum");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(H264EncConfig, keyInterval) == 12, "H264EncConfig keyInterval");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(H264EncConfig, bitRate) == 14, "H264EncConfig bitRate");

/* The encoded video: H.264 (libx264, preset "veryfast", tune "zerolatency", no B-frames, so
 * every picture gives its packet at once), 4:2:0 8-bit. 4:2:0 needs even sizes: an odd width or
 * height is cropped by one column or row (the last one), so a 641 x 481 picture records as
 * 640 x 480. Each opened file gets a fresh encoder and starts with an IDR picture. */
typedef struct H264Encoder H264Encoder;

/* [17] Creates an unconfigured encoder. Returns the handle, or null without memory; the caller
 * releases it with H264Enc_Free. Any thread; does not block. */
OSTREL_FFMPEG_API H264Encoder* H264Enc_Create(void);

/* [18] Stores the set-up (*config is copied) for the next H264Enc_OpenFile; a file open at the
 * time keeps its old set-up. Returns 0; -10 null handle; -8 null config or a width or height
 * outside 2..8192. Does not block. */
OSTREL_FFMPEG_API int H264Enc_SetConfig(H264Encoder* enc, const H264EncConfig* config);

/* [14] Opens the output file path (UTF-8) with a new encoder; a file already open is closed
 * first (as H264Enc_CloseFile). Returns 0 when open; -10 null handle; -8 null or empty path;
 * -7 not configured; -2 no H.264 encoder or unknown container; -200 the file could not be
 * created; -1 FFmpeg failed. Blocks for the file creation. */
OSTREL_FFMPEG_API int H264Enc_OpenFile(H264Encoder* enc, const char* path);

/* [13] Encodes one picture (bgra: width x height x 4 bytes of the configured size, read only
 * during the call). On 0, *packet and *length describe the packet made: the bytes belong to the
 * encoder and stay valid until the next H264Enc_Encode, H264Enc_CloseFile or H264Enc_Free of
 * this handle; hand them to H264Enc_WritePacket. On every other result *packet is null and
 * *length 0. Returns 0 packet ready; 1 no packet yet (nothing to write); -10 null handle; -7 no
 * file open; -8 a null pointer; -1 the encoder failed. Blocks for the encoding time. */
OSTREL_FFMPEG_API int H264Enc_Encode(H264Encoder* enc, const uint8_t* bgra, uint8_t** packet, int* length);

/* [16] Writes a packet to the open file. The packet from the last H264Enc_Encode keeps its time
 * stamp and key-frame flag; other bytes are taken as the next frame's H.264 access unit. A null
 * packet or length 0 writes nothing and returns 0. Returns 0; -10 null handle; -7 no file open;
 * -8 negative length; -197 the write failed. Blocks for the file write. */
OSTREL_FFMPEG_API int H264Enc_WritePacket(H264Encoder* enc, const uint8_t* packet, int length);

/* [15] Closes the output file: drains the encoder (the pictures it still holds are written),
 * writes the container's index and closes the file. Returns 0, also when no file was open;
 * -10 null handle; -197 draining or finishing failed (the file is closed anyway). Blocks for
 * the file write. */
OSTREL_FFMPEG_API int H264Enc_CloseFile(H264Encoder* enc);

/* [12] Closes an open file (as H264Enc_CloseFile), frees the encoder and sets *enc to null.
 * Null or *enc null: no-op. */
OSTREL_FFMPEG_API void H264Enc_Free(H264Encoder** enc);

/* ---- RTSP reader and recorder ------------------------------------------------------------ */

/* Bits of RtspOpenConfig.options (byte 256 of the SDK's RtspPreviewInfo); other bits are
 * ignored. Without OSTREL_RTSP_TCP, FFmpeg's default applies (RTP over UDP, falling back to
 * TCP). */
#define OSTREL_RTSP_TCP 0x01 /* RTP interleaved in the RTSP TCP connection only */
#define OSTREL_RTSP_LISTEN                                              \
  0x02 /* listen on the URL's address and port and take a stream pushed \
          by a publisher (ANNOUNCE/RECORD) instead of connecting */

/* Deadlines: opening (connect, or wait for the publisher, describe, set-up and reading the
 * stream's picture size) must finish within OSTREL_RTSP_OPEN_TIMEOUT_MS; each Rtsp_Read returns
 * within OSTREL_RTSP_READ_TIMEOUT_MS. After the stream ended or failed, each further Rtsp_Read
 * waits OSTREL_RTSP_FAIL_PAUSE_MS before returning its code, so a caller that retries at once
 * does not spin. */
#define OSTREL_RTSP_OPEN_TIMEOUT_MS 10000
#define OSTREL_RTSP_READ_TIMEOUT_MS 2000
#define OSTREL_RTSP_FAIL_PAUSE_MS 100

/* RTSP open set-up record, 44 bytes, zero-filled by the caller. */
typedef struct RtspOpenConfig {
  uint32_t options;     /* 0: OSTREL_RTSP_* bits */
  uint32_t codec;       /* 4: decoder codec code (see the conventions above) */
  uint8_t reserved[32]; /* 8: 0 */
  uint16_t width;       /* 40: out: picture width of the stream; every picture is scaled to it */
  uint16_t height;      /* 42: out: picture height */
} RtspOpenConfig;
OSTREL_FFMPEG_STATIC_ASSERT(sizeof(RtspOpenConfig) == 44, "RtspOpenConfig size");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(RtspOpenConfig, codec) == 4, "RtspOpenConfig codec");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(RtspOpenConfig, width) == 40, "RtspOpenConfig width");
OSTREL_FFMPEG_STATIC_ASSERT(offsetof(RtspOpenConfig, height) == 42, "RtspOpenConfig height");

typedef struct RtspStream RtspStream;

/* [27] Opens the RTSP stream at url ("rtsp://host:port/path", zero-terminated) and finds its
 * H.264 video. Writes the picture size into config->width and config->height (the other fields
 * are read only). Blocks up to OSTREL_RTSP_OPEN_TIMEOUT_MS. Returns the handle, owned by the
 * caller and released with Rtsp_Close; null when url or config is null, the server cannot be
 * reached or does not answer in time, there is no H.264 video, or its size is unknown or above
 * 8192 x 8192 (the reason is logged). */
OSTREL_FFMPEG_API RtspStream* Rtsp_Open(const char* url, RtspOpenConfig* config);

/* [28] Reads and decodes until the next picture and writes it into bgra (width x height x 4
 * bytes of the size Rtsp_Open reported, caller-owned) and, when plane is not null, its luma as
 * one byte per pixel into plane (width x height bytes). Blocks up to
 * OSTREL_RTSP_READ_TIMEOUT_MS. Packets read are also appended to an open recording. Returns 0
 * picture written; -10 null handle; -8 null bgra; -97 no picture within the deadline; -17 the
 * stream ended or the connection failed (final: later calls return -17 after
 * OSTREL_RTSP_FAIL_PAUSE_MS). */
OSTREL_FFMPEG_API int Rtsp_Read(RtspStream* stream, uint8_t* bgra, uint8_t* plane);

/* [24] Begins recording the stream's H.264 packets, unchanged, into the file path (UTF-8),
 * starting with the next key frame that Rtsp_Read receives. May be called on another thread
 * while Rtsp_Read runs (the recording state is locked). Returns 0 recording; -10 null handle;
 * -8 null or empty path; -7 already recording; -2 unknown container; -200 the file could not
 * be created; -1 FFmpeg failed. Blocks for the file creation. */
OSTREL_FFMPEG_API int Rtsp_BeginSave(RtspStream* stream, const char* path);

/* [26] Ends the recording and closes its file. Same thread rules as Rtsp_BeginSave. Returns 0;
 * -10 null handle; -7 not recording, or no key frame arrived (the empty file is removed); -197
 * finishing the file failed. */
OSTREL_FFMPEG_API int Rtsp_EndSave(RtspStream* stream);

/* [25] Ends an open recording, closes the connection (within OSTREL_RTSP_READ_TIMEOUT_MS),
 * frees the stream and sets *stream to null. Null or *stream null: no-op. Must not run while
 * another thread is inside Rtsp_Read on the same handle. */
OSTREL_FFMPEG_API void Rtsp_Close(RtspStream** stream);

#ifdef __cplusplus
}
#endif

#endif /* OSTREL_FFMPEG_H */
