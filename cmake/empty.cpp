// Lets a library be declared before its first source file exists.
