#pragma once

// Sends FFmpeg's own log lines to our log, prefixed "FFmpeg: ": its errors
// at log level 1 or more, its warnings at 3 or more, nothing chattier.
// Installed once per process; any thread.
void routeFfmpegLogToKivLog();
