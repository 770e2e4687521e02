// The pixel that an absolute input coordinate (0..65535 across the screen)
// names on Windows CE, and the coordinate that names the same pixel on
// desktop Windows. Plain integer arithmetic, shared with the host's tests.
#ifndef POINTREL_DESKTOP_ABSOLUTECOORDINATES_H
#define POINTREL_DESKTOP_ABSOLUTECOORDINATES_H

// Windows CE takes the nearest pixel, so a coordinate formed as
// p * 65536 / size, truncated, comes back as p.
inline long NearestPixel(unsigned long normalized, long size) {
    if (size <= 0)
        return 0;
    if (normalized > 65535)
        normalized = 65535;
    long pixel = (long)(((unsigned long long)normalized * (unsigned long long)size + 32768) >> 16);
    return pixel < size ? pixel : size - 1;
}

// Desktop Windows truncates (pixel = coordinate * size / 65536), so the
// coordinate of the pixel's centre is the one that lands on it whichever
// way the mapping rounds.
inline unsigned long PixelCentreCoordinate(long pixel, long size) {
    if (size <= 0)
        return 0;
    if (pixel < 0)
        pixel = 0;
    if (pixel >= size)
        pixel = size - 1;
    unsigned long long centre =
        ((unsigned long long)(2 * pixel + 1) * 65536) / (2 * (unsigned long long)size);
    return centre > 65535 ? 65535 : (unsigned long)centre;
}

#endif
