// The standard library's helpers that the framework's containers call to throw bad_alloc and
// bad_array_new_length, with the library's own meaning. The library keeps them in one object
// with every other throw helper, whose exceptions carry a std::string: linking it brings the
// library's string code and its unwind tables, about 80 KB of the i686 file. Only the program
// links these: should its code ever call another of the library's helpers, the link fails on
// the duplicate, and this file must grow by that helper.
#include <new>

// The names are the library's, reserved to it: replacing them is the point.
namespace std {

void __throw_bad_alloc()  // NOLINT(bugprone-reserved-identifier)
{
    throw bad_alloc();
}

void __throw_bad_array_new_length()  // NOLINT(bugprone-reserved-identifier)
{
    throw bad_array_new_length();
}

}  // namespace std
