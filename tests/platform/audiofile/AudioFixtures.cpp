#include "platform/audiofile/AudioFixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace AudioFixtures {

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pondra-audio-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    // Canonical, as the documents' own paths are.
    _path = std::filesystem::canonical(pattern).string();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(_path, ignored);
}

std::vector<float> signal(std::size_t frames, unsigned channels, double rate) {
    std::vector<float> samples(frames * channels);
    std::uint32_t seed = 12345;
    const double pi = 3.14159265358979323846;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double tremolo = 0.75 + 0.25 * std::sin(2 * pi * 1.5 * t);
        for (unsigned c = 0; c < channels; ++c) {
            const double root = 220.0 * (1.0 + 0.25 * c);
            double v = std::sin(2 * pi * root * t) + 0.5 * std::sin(2 * pi * root * 1.25 * t) +
                       0.3 * std::sin(2 * pi * root * 1.5 * t + c);
            seed = seed * 1664525u + 1013904223u;
            const double noise = static_cast<double>(seed >> 8) / double(1u << 24) - 0.5;
            samples[i * channels + c] = static_cast<float>(0.4 * tremolo * v + 0.02 * noise);
        }
    }
    return samples;
}

bool writeSndfile(const std::string& path, int format, const std::vector<float>& samples,
                  unsigned channels, int rate) {
    SF_INFO info{};
    info.channels = static_cast<int>(channels);
    info.samplerate = rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / channels);
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

namespace {

bool drainEncoder(AVCodecContext* encoder, AVFormatContext* output, AVStream* stream,
                  AVPacket* packet) {
    for (;;) {
        const int status = avcodec_receive_packet(encoder, packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return true;
        }
        if (status < 0) {
            return false;
        }
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(output, packet) < 0) {
            return false;
        }
    }
}

} // namespace

bool writeM4a(const std::string& path, const std::vector<float>& samples, unsigned channels,
              int rate) {
    AVFormatContext* output = nullptr;
    if (avformat_alloc_output_context2(&output, nullptr, "ipod", path.c_str()) < 0) {
        return false;
    }
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    AVStream* stream = avformat_new_stream(output, nullptr);
    AVCodecContext* encoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool ok = stream && encoder && packet && frame;
    if (ok) {
        encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
        encoder->sample_rate = rate;
        av_channel_layout_default(&encoder->ch_layout, static_cast<int>(channels));
        encoder->bit_rate = 96000 * channels;
        encoder->time_base = AVRational{1, rate};
        if (output->oformat->flags & AVFMT_GLOBALHEADER) {
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        // Noise substitution decodes from a running random state, so its
        // frames never match after a seek; real files rarely use it.
        av_opt_set_int(encoder->priv_data, "aac_pns", 0, 0);
        ok = avcodec_open2(encoder, codec, nullptr) >= 0 &&
             avcodec_parameters_from_context(stream->codecpar, encoder) >= 0;
    }
    if (ok) {
        stream->time_base = encoder->time_base;
        ok = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
             avformat_write_header(output, nullptr) >= 0;
    }
    const std::size_t frames = samples.size() / channels;
    for (std::size_t at = 0; ok && at < frames;) {
        const int count = static_cast<int>(
            std::min<std::size_t>(static_cast<std::size_t>(encoder->frame_size), frames - at));
        av_frame_unref(frame);
        frame->nb_samples = count;
        frame->format = encoder->sample_fmt;
        frame->sample_rate = rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
        ok = av_frame_get_buffer(frame, 0) >= 0;
        for (unsigned c = 0; ok && c < channels; ++c) {
            auto* plane = reinterpret_cast<float*>(frame->extended_data[c]);
            for (int i = 0; i < count; ++i) {
                plane[i] = samples[(at + static_cast<std::size_t>(i)) * channels + c];
            }
        }
        frame->pts = static_cast<std::int64_t>(at);
        ok = ok && avcodec_send_frame(encoder, frame) >= 0 &&
             drainEncoder(encoder, output, stream, packet);
        at += static_cast<std::size_t>(count);
    }
    if (ok) {
        ok = avcodec_send_frame(encoder, nullptr) >= 0 &&
             drainEncoder(encoder, output, stream, packet) && av_write_trailer(output) >= 0;
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&encoder);
    if (output->pb) {
        avio_closep(&output->pb);
    }
    avformat_free_context(output);
    return ok;
}

bool writeMatroskaWithoutAudio(const std::string& path) {
    AVFormatContext* output = nullptr;
    if (avformat_alloc_output_context2(&output, nullptr, "matroska", path.c_str()) < 0) {
        return false;
    }
    AVStream* stream = avformat_new_stream(output, nullptr);
    AVPacket* packet = av_packet_alloc();
    bool ok = stream && packet;
    if (ok) {
        stream->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
        stream->codecpar->codec_id = AV_CODEC_ID_SUBRIP;
        stream->time_base = AVRational{1, 1000};
        ok = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
             avformat_write_header(output, nullptr) >= 0;
    }
    for (int i = 0; ok && i < 3; ++i) {
        static const char text[] = "No sound here";
        ok = av_new_packet(packet, sizeof text - 1) >= 0;
        if (ok) {
            std::copy(text, text + sizeof text - 1, packet->data);
            packet->pts = packet->dts = i * 1000;
            packet->duration = 900;
            packet->stream_index = 0;
            ok = av_interleaved_write_frame(output, packet) >= 0;
        }
    }
    ok = ok && av_write_trailer(output) >= 0;
    av_packet_free(&packet);
    if (output->pb) {
        avio_closep(&output->pb);
    }
    avformat_free_context(output);
    return ok;
}

bool writeSparseWav(const std::string& path, std::uint32_t dataBytes) {
    {
        std::ofstream out(path, std::ios::binary);
        const auto u32 = [&out](std::uint32_t v) {
            out.write(reinterpret_cast<const char*>(&v), 4);
        };
        const auto u16 = [&out](std::uint16_t v) {
            out.write(reinterpret_cast<const char*>(&v), 2);
        };
        out.write("RIFF", 4);
        u32(36 + dataBytes);
        out.write("WAVEfmt ", 8);
        u32(16);
        u16(1); // PCM
        u16(1);
        u32(48000);
        u32(96000);
        u16(2);
        u16(16);
        out.write("data", 4);
        u32(dataBytes);
        if (!out) {
            return false;
        }
    }
    return ::truncate(path.c_str(), 44 + static_cast<off_t>(dataBytes)) == 0;
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace AudioFixtures
