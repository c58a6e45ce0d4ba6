// QStr: the counted byte string `string` of the shared units.
// A small heap string (no locale, no iostreams) so that the Windows programs stay small;
// it may hold zero bytes and is passed and returned by value.
#ifndef QSTR_H
#define QSTR_H

#include <stddef.h>

class string {
public:
    string();
    string(const char *AText);                 // zero-terminated; 0 gives the empty string
    string(const char *AData, size_t ALen);    // exactly ALen bytes, zeros included
    string(size_t ACount, char AChar);         // ACount copies of AChar
    string(const string &AOther);
    string(string &&AOther) noexcept;
    ~string();
    string &operator=(const string &AOther);
    string &operator=(string &&AOther) noexcept;

    size_t length() const { return FLen; }
    size_t size() const { return FLen; }
    bool empty() const { return FLen == 0; }
    // Always zero-terminated (an empty string gives "").
    const char *c_str() const;
    const char *data() const { return c_str(); }
    char *begin_write() { Reserve(FLen); return FData; }

    char &operator[](size_t I) { return FData[I]; }
    char operator[](size_t I) const { return FData[I]; }

    string &operator+=(const string &AOther);
    string &operator+=(const char *AText);
    string &operator+=(char AChar);
    void append(const char *AData, size_t ALen);
    void resize(size_t ALen, char AFill = 0);
    void clear() { resize(0); }
    // Up to ACount bytes from AIndex on (clamped to the string).
    string substr(size_t AIndex, size_t ACount = (size_t)-1) const;
    // Position of the first / last AChar, or npos.
    size_t find(char AChar, size_t AFrom = 0) const;
    size_t rfind(char AChar) const;
    static constexpr size_t npos = (size_t)-1;

    bool operator==(const string &AOther) const;
    bool operator!=(const string &AOther) const { return !(*this == AOther); }
    bool operator==(const char *AText) const { return *this == string(AText); }
    bool operator!=(const char *AText) const { return !(*this == AText); }

private:
    void Reserve(size_t ALen);
    char *FData;
    size_t FLen;
    size_t FCap;
};

string operator+(const string &A, const string &B);
string operator+(const string &A, const char *B);
string operator+(const char *A, const string &B);
string operator+(const string &A, char B);
string operator+(char A, const string &B);

#endif
