// Feeds arbitrary text to the keyed decoder. Nothing may crash, leak or trip
// the sanitizers, and whatever decodes cleanly must archive again and read
// back to the very same archive.
#include "foundation/KivHotKey.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace {

// Reads one key of every kind, nested objects in every container included.
struct FuzzNode : KivArchivable {
    bool flag = false;
    std::int32_t small = 0;
    std::int64_t large = 0;
    float single = 0.0f;
    double number = 0.0;
    std::string text;
    std::vector<std::uint8_t> bytes;
    nlohmann::json value;
    std::shared_ptr<FuzzNode> child;
    std::vector<std::shared_ptr<FuzzNode>> list;
    std::map<std::int64_t, std::shared_ptr<FuzzNode>> table;
    std::shared_ptr<KivHotKey> hotKey;

    void encodeWithCoder(KivKeyedEncoder& coder) const override {
        coder.encodeBool(flag, "b");
        coder.encodeInt32(small, "i");
        coder.encodeInt64(large, "l");
        coder.encodeFloat(single, "f");
        coder.encodeDouble(number, "d");
        coder.encodeString(text, "s");
        coder.encodeBytes(bytes, "y");
        if (!value.is_null()) {
            coder.encodeValue(value, "v");
        }
        coder.encodeObject(child, "o");
        coder.encodeObjects(list, "a");
        coder.encodeObjects(table, "m");
        coder.encodeObject(hotKey, "h");
    }

    static std::shared_ptr<FuzzNode> initWithCoder(const KivKeyedDecoder& coder) {
        auto node = std::make_shared<FuzzNode>();
        node->flag = coder.decodeBoolForKey("b");
        node->small = coder.decodeInt32ForKey("i");
        node->large = coder.decodeInt64ForKey("l");
        node->single = coder.decodeFloatForKey("f");
        node->number = coder.decodeDoubleForKey("d");
        node->text = coder.decodeStringForKey("s");
        node->bytes = coder.decodeBytesForKey("y");
        node->value = coder.decodeValueForKey("v");
        node->child = coder.decodeObjectForKey<FuzzNode>("o");
        node->list = coder.decodeObjectArrayForKey<FuzzNode>("a");
        node->table = coder.decodeObjectDictionaryForKey<FuzzNode>("m");
        node->hotKey = coder.decodeObjectForKey<KivHotKey>("h");
        return node;
    }
};

const KivClassRegistry& registry() {
    static KivClassRegistry shared;
    static const bool registered = [] {
        shared.registerClass<FuzzNode>("PondraCue");
        shared.registerClass<KivHotKey>("KivHotKey");
        return true;
    }();
    (void)registered;
    return shared;
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "keyed_decoder_fuzz: %s: %s\n", what, detail.c_str());
    __builtin_trap();
}

std::string archived(const FuzzNode& node) {
    KivKeyedEncoder encoder(registry());
    encoder.encodeObject(node, "root");
    auto text = encoder.archivedText();
    if (!text) {
        fail("a decoded archive could not be archived again", encoder.error());
    }
    return *text;
}

// `clean` is true when the object read without any error.
std::shared_ptr<FuzzNode> decoded(std::string_view text, bool& clean) {
    const auto decoder = KivKeyedDecoder::decoderForText(text, registry());
    auto node = decoder.decodeObjectForKey<FuzzNode>("root");
    clean = node && !decoder.failed();
    // The same key read as every other kind, so that each wrong-type path runs.
    (void)decoder.decodeValueForKey("root");
    (void)decoder.decodeStringForKey("root");
    (void)decoder.decodeBytesForKey("root");
    (void)decoder.decodeInt32ForKey("root");
    (void)decoder.decodeFloatForKey("root");
    (void)decoder.decodeObjectArrayForKey<FuzzNode>("root");
    return node;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool clean = false;
    const auto first = decoded(std::string_view(reinterpret_cast<const char*>(data), size), clean);
    if (!clean) {
        return 0;
    }
    const std::string once = archived(*first);
    const auto second = decoded(once, clean);
    if (!clean) {
        fail("an archive we wrote did not read back", once);
    }
    const std::string twice = archived(*second);
    if (once != twice) {
        fail("archiving is not stable", once + "\n---\n" + twice);
    }
    return 0;
}
