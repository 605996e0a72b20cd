// kvpack build: the project record, the text blocks, one zlib stream per file
// entry (compressed on several threads, written in list order) and the
// uninstaller item; for a setup, the stub first and the start offset last.
#include "package.h"

#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "package/crc.h"

namespace fs = std::filesystem;

namespace kvpack {

namespace {

struct RecordWriter {
    std::string bytes;
    unsigned long crc = 0xFFAABBCCUL;

    void Raw(unsigned long v)
    {
        char b[4] = {(char)(v & 0xFF), (char)((v >> 8) & 0xFF), (char)((v >> 16) & 0xFF),
                     (char)((v >> 24) & 0xFF)};
        bytes.append(b, 4);
    }
    void Int(long v)
    {
        size_t at = bytes.size();
        Raw((unsigned long)v & 0xFFFFFFFFUL);
        crc = BufferCrc32(bytes.data() + at, 4, crc);
    }
    void Str(const std::string& s)
    {
        Raw((unsigned long)s.size());
        bytes += s;
        bytes += '\0';
        crc = BufferCrc32(s.data(), (int)s.size(), crc);
    }
};

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bare LF line ends become CR LF: the text pages break lines only there.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

// One complete zlib stream of the whole file.
std::string CompressFile(const std::string& path, int level)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    z_stream zs;
    memset(&zs, 0, sizeof(zs));
    if (deflateInit(&zs, level) != Z_OK)
        throw std::runtime_error("zlib cannot start compressing");
    std::string out;
    std::vector<char> input(256 * 1024);
    std::vector<unsigned char> output(256 * 1024);
    int flush = Z_NO_FLUSH;
    do {
        in.read(input.data(), (std::streamsize)input.size());
        std::streamsize got = in.gcount();
        if (in.bad()) {
            deflateEnd(&zs);
            throw std::runtime_error("cannot read " + path);
        }
        flush = in.eof() ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = (Bytef*)input.data();
        zs.avail_in = (uInt)got;
        do {
            zs.next_out = output.data();
            zs.avail_out = (uInt)output.size();
            deflate(&zs, flush);
            out.append((const char*)output.data(), output.size() - zs.avail_out);
        } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&zs);
    if (out.size() > 0xFFFFFFFFUL)
        throw std::runtime_error(path + " is too large for a package entry");
    return out;
}

void Put(FILE* out, const void* data, size_t n, const std::string& name)
{
    if (n && fwrite(data, 1, n, out) != n)
        throw std::runtime_error("cannot write " + name);
}

void PutInt(FILE* out, unsigned long v, const std::string& name)
{
    unsigned char b[4] = {(unsigned char)(v & 0xFF), (unsigned char)((v >> 8) & 0xFF),
                          (unsigned char)((v >> 16) & 0xFF), (unsigned char)((v >> 24) & 0xFF)};
    Put(out, b, 4, name);
}

}  // namespace

std::string EncodeRecord(const Project& p)
{
    RecordWriter w;
    w.Int(100);
    w.Str(p.name);
    w.Str(p.version);
    w.Str(p.company);
    w.Str(p.copyright);
    w.Int(p.readme.empty() ? 0 : 1);
    w.Str(p.readmeName);
    w.Int(p.licence.empty() ? 0 : 1);
    w.Str(p.licenceName);
    w.Str(p.maindir);
    w.Int((long)p.entries.size());
    for (const Entry& e : p.entries) {
        w.Int(e.kind);
        w.Str(e.target);
        if (e.kind == 1)
            w.Int(e.mode);
    }
    w.Int((long)p.objects.size());
    for (const Object& o : p.objects) {
        w.Int(o.kind);
        w.Str(o.parent);
        w.Str(o.title);
        if (o.kind == 4) {
            w.Str(o.id);
        } else {
            w.Str("");  // program type
            w.Str(o.target);
            w.Str(o.arguments);
            w.Str(o.workdir);
            w.Str("");
            w.Str("");
        }
    }
    w.Int(p.uninstaller ? 1 : 0);
    w.Int(p.hasPassword ? 1 : 0);
    std::string password = p.password;
    w.Int(p.hasPassword ? (long)StringCrc32(&password[0], 0x5A3C9E71UL) : 0);
    for (const std::string& s : p.spareTexts)
        w.Str(s);
    w.Int((long)p.spareList.size());
    for (const std::string& s : p.spareList)
        w.Str(s);
    w.Str(p.text5);
    w.Str(p.text6);
    w.Str(p.endRun);
    w.Str(p.startRun);
    w.Int(p.reserved);
    w.Raw(w.crc);
    return w.bytes;
}

void BuildPackage(const Project& p, const BuildOptions& o)
{
    std::string uninstaller;
    if (!o.uninstaller.empty())
        uninstaller = ReadWhole(o.uninstaller);
    else if (p.uninstaller)
        throw std::runtime_error(p.file + ": the project installs the uninstaller, but no "
                                 "uninstaller program was found (use --uninstaller IMAGE)");

    std::string temp = o.output + ".part";
    FILE* out = fopen(temp.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot create " + temp);
    std::vector<char> outBuffer(1 << 20);
    setvbuf(out, outBuffer.data(), _IOFBF, outBuffer.size());

    // Files of the list, compressed ahead of the one being written by the
    // workers as far as a budget of source bytes allows, so memory stays
    // bounded while a large file does not hold up the small ones after it.
    std::vector<size_t> files;
    std::vector<unsigned long long> before(1, 0);  // source bytes before file i
    for (size_t i = 0; i < p.entries.size(); ++i)
        if (p.entries[i].kind == 1) {
            files.push_back(i);
            std::error_code sizeError;
            unsigned long long size = fs::file_size(fs::u8path(p.entries[i].source), sizeError);
            before.push_back(before.back() + (sizeError ? 0 : size));
        }
    const unsigned long long budget = 256ull << 20;
    std::vector<std::string> streams(files.size());
    std::vector<char> ready(files.size(), 0);
    std::string failure;
    std::mutex lock;
    std::condition_variable changed;
    std::atomic<size_t> next(0);
    size_t written = 0;
    bool stop = false;
    auto mayStart = [&](size_t i) {
        return i == written || (i < written + 64 * (size_t)o.jobs &&
                                before[i + 1] - before[written] <= budget);
    };

    auto work = [&]() {
        for (;;) {
            size_t i;
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [&] { return stop || next >= files.size() || mayStart(next); });
                if (stop || next >= files.size())
                    return;
                i = next++;
            }
            std::string stream;
            std::string error;
            try {
                stream = CompressFile(p.entries[files[i]].source, o.level);
            } catch (const std::exception& e) {
                error = e.what();
            }
            std::lock_guard<std::mutex> guard(lock);
            if (!error.empty() && failure.empty()) {
                failure = error;
                stop = true;
            }
            streams[i].swap(stream);
            ready[i] = 1;
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int j = 0; j < o.jobs; ++j)
        workers.emplace_back(work);

    auto started = std::chrono::steady_clock::now();
    auto shown = started;
    unsigned long long bytesOut = 0;
    bool progressShown = false;
    std::string error;
    try {
        long long stubSize = 0;
        if (!o.setupStub.empty()) {
            std::string stub = ReadWhole(o.setupStub);
            stubSize = (long long)stub.size();
            Put(out, stub.data(), stub.size(), temp);
        }
        std::string record = EncodeRecord(p);
        Put(out, record.data(), record.size(), temp);
        for (const std::string* name : {&p.readme, &p.licence}) {
            if (name->empty())
                continue;
            std::string text = ReadWhole(*name);
            if (!o.keepLineEnds)
                text = WithCrLf(text);
            PutInt(out, (unsigned long)text.size(), temp);
            Put(out, text.data(), text.size(), temp);
        }
        for (size_t i = 0; i < files.size(); ++i) {
            std::string stream;
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [&] { return ready[i] || stop; });
                if (!ready[i])
                    throw std::runtime_error(failure);
                stream.swap(streams[i]);
                ++written;
                changed.notify_all();
            }
            const Entry& e = p.entries[files[i]];
            PutInt(out, (unsigned long)stream.size(), temp);
            unsigned char when[4] = {(unsigned char)(e.date & 0xFF), (unsigned char)(e.date >> 8),
                                     (unsigned char)(e.time & 0xFF), (unsigned char)(e.time >> 8)};
            Put(out, when, 4, temp);
            Put(out, stream.data(), stream.size(), temp);
            bytesOut += stream.size();
            auto now = std::chrono::steady_clock::now();
            if (o.progress && now - started > std::chrono::seconds(1) &&
                now - shown > std::chrono::milliseconds(200)) {
                fprintf(stderr, "\rkvpack: %zu/%zu files, %.1f MB written ", i + 1, files.size(),
                        bytesOut / 1048576.0);
                shown = now;
                progressShown = true;
            }
        }
        PutInt(out, (unsigned long)uninstaller.size(), temp);
        Put(out, uninstaller.data(), uninstaller.size(), temp);
        if (!o.setupStub.empty()) {
            if (stubSize > 0xFFFFFFFFLL)
                throw std::runtime_error(o.setupStub + " is too large");
            PutInt(out, (unsigned long)stubSize, temp);
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        stop = true;
        changed.notify_all();
    }
    for (std::thread& t : workers)
        t.join();
    if (progressShown)
        fprintf(stderr, "\r%60s\r", "");
    if (fclose(out) != 0 && error.empty())
        error = "cannot write " + temp;
    std::error_code ec;
    if (error.empty()) {
        fs::rename(fs::u8path(temp), fs::u8path(o.output), ec);
        if (ec)
            error = "cannot create " + o.output + ": " + ec.message();
    }
    if (!error.empty()) {
        fs::remove(fs::u8path(temp), ec);
        throw std::runtime_error(error);
    }
}

}  // namespace kvpack
