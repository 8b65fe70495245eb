#pragma once

class KivKeyedEncoder;

// An object that a keyed coder can archive. A class also registers its
// archived name and its decoding function with KivClassRegistry, which is how
// the coder finds the name when encoding and the class when decoding.
//
// Decoding is a static function of the class:
//   static std::shared_ptr<T> initWithCoder(const KivKeyedDecoder& coder);
// returning nullptr after coder.failWithError() when the archive is unusable.
class KivArchivable {
public:
    virtual ~KivArchivable() = default;
    virtual void encodeWithCoder(KivKeyedEncoder& coder) const = 0;
};
