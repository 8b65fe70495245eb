#pragma once

// The two sizes the skinned controls come in; each has its own images.
enum class KivControlSize { Regular, Small };
