#include "audio/source/KivMetaBufferHandOver.h"

#include "audio/source/KivAudioBuffer.h"

KivMetaBufferDelivery::~KivMetaBufferDelivery() = default;
