#pragma once

// For the targets that parse JSON: Qt 5.15's JSON parser leaks the entries it drops when an object
// repeats a key. That is Qt's own, a few bytes per parse, and no reason to stop a run. Qt's
// frames carry no frame pointers, so the leak's stack only reaches the parser's name when it is
// unwound the slow way.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QJsonDocument::fromJson\n";
}
