// The film encoder module, libkorvale_mp4.so: H.264 in fragmented MP4 through
// FFmpeg's libraries, loaded by CMp4Video the first time a film is made.
#include "media/IMp4Encoder.h"

#include <cerrno>
#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace Tarn {

namespace {

constexpr int IoBufferSize = 1 << 16;

std::string AvText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// libavformat writes the file through these, so that every failure of the
// system is seen with its errno and nothing else opens the file.
int WriteBytes(void* opaque, std::uint8_t* bytes, int size)
{
    auto* file = static_cast<IOutputFile*>(opaque);
    if (!file->Write(bytes, static_cast<std::size_t>(size)))
        return AVERROR(file->ErrorNumber());
    return size;
}

std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence)
{
    auto* file = static_cast<IOutputFile*>(opaque);
    if (whence & AVSEEK_SIZE)
        return AVERROR(ENOSYS);
    const std::int64_t position = file->Seek(offset, whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(file->ErrorNumber()) : position;
}

struct Codec {
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    const AVCodec* h264 = nullptr;
    AVCodecContext* encoder = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;

    Codec() = default;
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;
    ~Codec()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&encoder);
        if (format != nullptr)
            format->pb = nullptr;
        avformat_free_context(format);
        if (io != nullptr)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

class CMp4Encoder : public IMp4Encoder {
public:
    CMp4Encoder(IOutputFile& file, int width, int height, int framesPerSecond)
        : file(file), width(width), height(height), framesPerSecond(framesPerSecond)
    {
    }

    bool Start();
    bool AddFrame(const RgbImage& image) override;
    bool Finish() override;
    const std::string& Error() const override { return error; }
    std::int64_t PacketsWritten() const override { return packetsWritten; }

private:
    bool Encode(bool last);
    bool Flush();
    bool Fail(const std::string& what, int code);

    IOutputFile& file;
    int width;
    int height;
    int framesPerSecond;
    Codec codec;
    std::int64_t frames = 0;
    std::int64_t packetsWritten = 0;
    std::string error;
};

bool CMp4Encoder::Fail(const std::string& what, int code)
{
    // The system's own reason when the file refused the bytes.
    if (file.ErrorNumber() != 0)
        error = what + ": " + std::strerror(file.ErrorNumber());
    else
        error = code != 0 ? what + ": " + AvText(code) : what;
    return false;
}

bool CMp4Encoder::Start()
{
    // FFmpeg's own messages would come between the program's one-line
    // reports; every failure comes back as a result instead.
    av_log_set_level(AV_LOG_QUIET);
    Codec& c = codec;
    int result = avformat_alloc_output_context2(&c.format, nullptr, "mp4", nullptr);
    if (result < 0)
        return Fail("no MP4 writer in this FFmpeg", result);
    c.h264 = avcodec_find_encoder_by_name("libx264");
    if (c.h264 == nullptr)
        c.h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (c.h264 == nullptr)
        return Fail("no H.264 encoder in this FFmpeg", 0);

    auto* buffer = static_cast<std::uint8_t*>(av_malloc(IoBufferSize));
    c.io = buffer ? avio_alloc_context(buffer, IoBufferSize, 1, &file, nullptr, WriteBytes, SeekBytes) : nullptr;
    if (c.io == nullptr) {
        av_free(buffer);
        return Fail("out of memory", AVERROR(ENOMEM));
    }
    c.format->pb = c.io;
    c.format->flags |= AVFMT_FLAG_CUSTOM_IO;

    c.encoder = avcodec_alloc_context3(c.h264);
    c.packet = av_packet_alloc();
    c.frame = av_frame_alloc();
    if (c.encoder == nullptr || c.packet == nullptr || c.frame == nullptr)
        return Fail("out of memory", AVERROR(ENOMEM));
    AVCodecContext& e = *c.encoder;
    e.width = width;
    e.height = height;
    e.pix_fmt = AV_PIX_FMT_YUV420P;
    e.time_base = AVRational{1, framesPerSecond};
    e.framerate = AVRational{framesPerSecond, 1};
    // A key frame every two seconds: players seek to those.
    e.gop_size = 2 * framesPerSecond;
    // Frames in presentation order: the first is shown at 0 s in every
    // player, and each fragment is playable as soon as it is written.
    e.max_b_frames = 0;
    // Players take pictures of this size for high definition, BT.709.
    e.colorspace = AVCOL_SPC_BT709;
    e.color_primaries = AVCOL_PRI_BT709;
    e.color_trc = AVCOL_TRC_BT709;
    e.color_range = AVCOL_RANGE_MPEG;
    if (c.format->oformat->flags & AVFMT_GLOBALHEADER)
        e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Flat colours and sharp edges encode well and fast so.
    av_opt_set(e.priv_data, "preset", "veryfast", 0);
    av_opt_set(e.priv_data, "tune", "animation", 0);
    result = avcodec_open2(c.encoder, c.h264, nullptr);
    if (result < 0)
        return Fail("the H.264 encoder does not start", result);

    c.stream = avformat_new_stream(c.format, nullptr);
    if (c.stream == nullptr)
        return Fail("out of memory", AVERROR(ENOMEM));
    result = avcodec_parameters_from_context(c.stream->codecpar, c.encoder);
    if (result < 0)
        return Fail("the H.264 encoder does not start", result);
    c.stream->time_base = e.time_base;
    c.stream->avg_frame_rate = e.framerate;

    AVDictionary* options = nullptr;
    // The file header holds no frame list; each frame follows in a fragment
    // of its own, complete once written.
    av_dict_set(&options, "movflags", "empty_moov+default_base_moof+frag_every_frame", 0);
    result = avformat_write_header(c.format, &options);
    av_dict_free(&options);
    if (result < 0)
        return Fail("cannot write the film", result);
    if (!Flush())
        return false;

    c.scaler = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                              nullptr, nullptr);
    if (c.scaler == nullptr)
        return Fail("no colour conversion for the film", 0);
    // Full-range RGB in, studio-range BT.709 out, as the stream says.
    sws_setColorspaceDetails(c.scaler, sws_getCoefficients(SWS_CS_ITU709), 1, sws_getCoefficients(SWS_CS_ITU709), 0, 0,
                             1 << 16, 1 << 16);
    c.frame->format = AV_PIX_FMT_YUV420P;
    c.frame->width = width;
    c.frame->height = height;
    c.frame->colorspace = AVCOL_SPC_BT709;
    c.frame->color_range = AVCOL_RANGE_MPEG;
    result = av_frame_get_buffer(c.frame, 0);
    if (result < 0)
        return Fail("out of memory", result);
    return true;
}

bool CMp4Encoder::AddFrame(const RgbImage& image)
{
    Codec& c = codec;
    const int result = av_frame_make_writable(c.frame);
    if (result < 0)
        return Fail("out of memory", result);
    const std::uint8_t* const source[] = {image.pixels.data()};
    const int sourceStride[] = {image.width * 3};
    sws_scale(c.scaler, source, sourceStride, 0, image.height, c.frame->data, c.frame->linesize);
    c.frame->pts = frames++;
    return Encode(false);
}

bool CMp4Encoder::Encode(bool last)
{
    Codec& c = codec;
    int result = avcodec_send_frame(c.encoder, last ? nullptr : c.frame);
    if (result < 0)
        return Fail("the H.264 encoder failed", result);
    std::int64_t written = 0;
    for (;;) {
        result = avcodec_receive_packet(c.encoder, c.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            break;
        if (result < 0)
            return Fail("the H.264 encoder failed", result);
        av_packet_rescale_ts(c.packet, c.encoder->time_base, c.stream->time_base);
        c.packet->stream_index = c.stream->index;
        result = av_write_frame(c.format, c.packet);
        av_packet_unref(c.packet);
        if (result < 0)
            return Fail("cannot write the film", result);
        ++written;
    }
    if (written == 0)
        return true;
    if (!Flush())
        return false;
    packetsWritten += written;
    return true;
}

// Hands the buffered bytes to the file now, so that a failure shows at the
// frame that met it.
bool CMp4Encoder::Flush()
{
    avio_flush(codec.io);
    if (codec.io->error < 0)
        return Fail("cannot write the film", codec.io->error);
    return true;
}

bool CMp4Encoder::Finish()
{
    if (!Encode(true))
        return false;
    const int result = av_write_trailer(codec.format);
    if (result < 0)
        return Fail("cannot write the film", result);
    return Flush();
}

} // namespace

} // namespace Tarn

// The only symbol the module shows.
extern "C" __attribute__((visibility("default"))) Tarn::IMp4Encoder*
KorvaleCreateMp4Encoder(Tarn::IOutputFile& file, int width, int height, int framesPerSecond, std::string& error)
{
    auto encoder = std::make_unique<Tarn::CMp4Encoder>(file, width, height, framesPerSecond);
    if (!encoder->Start()) {
        error = encoder->Error();
        return nullptr;
    }
    return encoder.release();
}
