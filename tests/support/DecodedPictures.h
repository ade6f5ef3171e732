#pragma once
// Pictures and films read back with libraries other than the ones that wrote
// them: PNG with stb's reader, MP4 with FFmpeg's demuxer and decoder. For
// tests that link the media layer (which brings both libraries).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <stb_image.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "base/RgbImage.h"

namespace TestSupport {

// The PNG file as RGB; an empty picture if it cannot be read.
inline Tarn::RgbImage ReadPng(const std::string& path)
{
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> data(stbi_load(path.c_str(), &width, &height, &channels, 3),
                                                   stbi_image_free);
    if (!data)
        return {};
    Tarn::RgbImage image(width, height);
    std::copy(data.get(), data.get() + image.pixels.size(), image.pixels.begin());
    return image;
}

// Everything a player would take from a film: its size, its duration as the
// container gives it, and every frame it decodes to, as RGB.
struct DecodedVideo {
    bool opened = false;
    std::string codec;
    int width = 0;
    int height = 0;
    std::string pixelFormat;
    double seconds = 0; // the container's duration
    std::vector<double> frameTimes; // presentation time of each frame
    std::vector<Tarn::RgbImage> frames;

    static DecodedVideo Read(const std::string& path, bool keepPictures = true)
    {
        DecodedVideo video;
        av_log_set_level(AV_LOG_QUIET);
        AVFormatContext* format = nullptr;
        if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
            return video;
        std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closeFormat(&format, avformat_close_input);
        if (avformat_find_stream_info(format, nullptr) < 0 || format->nb_streams != 1)
            return video;
        const AVStream* stream = format->streams[0];
        const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
        AVCodecContext* context = avcodec_alloc_context3(decoder);
        std::unique_ptr<AVCodecContext*, void (*)(AVCodecContext**)> freeContext(&context, avcodec_free_context);
        if (decoder == nullptr || avcodec_parameters_to_context(context, stream->codecpar) < 0
            || avcodec_open2(context, decoder, nullptr) < 0)
            return video;
        video.opened = true;
        video.codec = decoder->name;
        video.width = stream->codecpar->width;
        video.height = stream->codecpar->height;
        const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->codecpar->format));
        video.pixelFormat = name ? name : "";
        video.seconds = format->duration == AV_NOPTS_VALUE ? 0 : static_cast<double>(format->duration) / AV_TIME_BASE;

        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        SwsContext* toRgb = nullptr;
        const auto take = [&] {
            while (avcodec_receive_frame(context, frame) == 0) {
                video.frameTimes.push_back(static_cast<double>(frame->best_effort_timestamp)
                                           * av_q2d(stream->time_base));
                if (!keepPictures)
                    continue;
                toRgb = sws_getCachedContext(toRgb, frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                             AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
                sws_setColorspaceDetails(toRgb, sws_getCoefficients(SWS_CS_ITU709), 0,
                                         sws_getCoefficients(SWS_CS_ITU709), 1, 0, 1 << 16, 1 << 16);
                Tarn::RgbImage image(frame->width, frame->height);
                std::uint8_t* out[] = {image.pixels.data()};
                const int stride[] = {image.width * 3};
                sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, out, stride);
                video.frames.push_back(std::move(image));
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            avcodec_send_packet(context, packet);
            av_packet_unref(packet);
            take();
        }
        avcodec_send_packet(context, nullptr);
        take();
        sws_freeContext(toRgb);
        av_frame_free(&frame);
        av_packet_free(&packet);
        return video;
    }

    std::size_t FrameCount() const { return frameTimes.size(); }
};

// Whether a colour is within `tolerance` of (r, g, b) on every channel.
inline bool Near(const std::uint8_t* pixel, int r, int g, int b, int tolerance)
{
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance
        && std::abs(pixel[2] - b) <= tolerance;
}

} // namespace TestSupport
