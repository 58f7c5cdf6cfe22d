// dovrel_typelib on Windows. On the other platform the type library is code
// that idlgen writes from dovrel60.idl; here widl compiles the same IDL and
// the type library is resource TYPELIB 1 of dovrel60.rc, in
// dovrel_resources. This library only stands in for the target that the
// frame links on both platforms, and holds nothing.
