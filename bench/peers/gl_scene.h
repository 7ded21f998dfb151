/* The frame of the raw OpenGL programs (GLX natively, WGL under Wine): the
 * reference strip in one vertex buffer object, one directional light
 * straight down with the control's material and light colours, specular on,
 * culling off, perspective of 45 degrees (near 1, far 100), the eye on a
 * sphere of radius 50 at 45 degrees elevation turned by 2 degrees a frame.
 * Needs <GL/gl.h> and strip_ref.h included first. */
#ifndef ZORVEL_GL_SCENE_H
#define ZORVEL_GL_SCENE_H

#include <math.h>

enum { kSize = 640 };

typedef void (APIENTRY* GenBuffersFn)(GLsizei, GLuint*);
typedef void (APIENTRY* BindBufferFn)(GLenum, GLuint);
typedef void (APIENTRY* BufferDataFn)(GLenum, ptrdiff_t, const void*, GLenum);

#ifndef GL_ARRAY_BUFFER
#define GL_ARRAY_BUFFER 0x8892
#define GL_STATIC_DRAW 0x88E4
#endif

static inline void set_light_and_material(void)
{
    const GLfloat diffuse[] = {0.5f, 0.5f, 0.5f, 0.5f};
    const GLfloat black[] = {0.0f, 0.0f, 0.0f, 0.0f};
    const GLfloat specular[] = {0.0f, 0.0f, 0.69f, 0.0f};
    const GLfloat emissive[] = {0.18f, 0.30f, 0.41f, 0.0f};
    const GLfloat light_diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat light_specular[] = {0.29f, 0.29f, 0.29f, 0.0f};
    const GLfloat light_ambient[] = {0.0f, 0.30f, 0.0f, 0.0f};
    /* Towards the light: it shines straight down the z axis. */
    const GLfloat light_direction[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.5f);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light_diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light_specular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, light_direction);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

/* Perspective of 45 degrees, aspect 1, near 1, far 100. */
static inline void set_projection(void)
{
    const double near_z = 1.0, far_z = 100.0;
    const double half = near_z * 0.41421356237309503; /* tan(22.5 degrees) */
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-half, half, -half, half, near_z, far_z);
}

/* The eye on its sphere, looking at the origin with z up (a look-at matrix
 * written out, so that GLU is not needed). */
static inline void set_view(float azimuth_degrees)
{
    const double radius = 50.0, pi = 3.14159265358979323846;
    const double a = azimuth_degrees * pi / 180.0, e = 45.0 * pi / 180.0;
    double eye[3], f[3], s[3], u[3], length;
    GLfloat m[16];
    eye[0] = radius * cos(e) * cos(a);
    eye[1] = radius * cos(e) * sin(a);
    eye[2] = radius * sin(e);
    length = sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    f[0] = -eye[0] / length;
    f[1] = -eye[1] / length;
    f[2] = -eye[2] / length;
    /* s = f x up, up = (0, 0, 1) */
    s[0] = f[1];
    s[1] = -f[0];
    s[2] = 0.0;
    length = sqrt(s[0] * s[0] + s[1] * s[1]);
    s[0] /= length;
    s[1] /= length;
    u[0] = s[1] * f[2] - s[2] * f[1];
    u[1] = s[2] * f[0] - s[0] * f[2];
    u[2] = s[0] * f[1] - s[1] * f[0];
    m[0] = (GLfloat)s[0], m[4] = (GLfloat)s[1], m[8] = (GLfloat)s[2];
    m[1] = (GLfloat)u[0], m[5] = (GLfloat)u[1], m[9] = (GLfloat)u[2];
    m[2] = (GLfloat)-f[0], m[6] = (GLfloat)-f[1], m[10] = (GLfloat)-f[2];
    m[3] = m[7] = m[11] = 0.0f;
    m[12] = (GLfloat)-(s[0] * eye[0] + s[1] * eye[1] + s[2] * eye[2]);
    m[13] = (GLfloat)-(u[0] * eye[0] + u[1] * eye[1] + u[2] * eye[2]);
    m[14] = (GLfloat)(f[0] * eye[0] + f[1] * eye[1] + f[2] * eye[2]);
    m[15] = 1.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m);
}

/* The buffer functions come from the window system's loader. */
static inline GLuint upload_strip(void* (*load)(const char* name))
{
    GenBuffersFn gen = (GenBuffersFn)load("glGenBuffers");
    BindBufferFn bind = (BindBufferFn)load("glBindBuffer");
    BufferDataFn data = (BufferDataFn)load("glBufferData");
    GLuint buffer = 0;
    gen(1, &buffer);
    bind(GL_ARRAY_BUFFER, buffer);
    data(GL_ARRAY_BUFFER, (ptrdiff_t)sizeof(g_strip), g_strip, GL_STATIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), (const void*)0);
    glNormalPointer(GL_FLOAT, sizeof(Vertex), (const void*)(3 * sizeof(float)));
    return buffer;
}

static float g_azimuth;

static inline void draw_scene(void)
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g_azimuth -= 2.0f;
    set_view(g_azimuth);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, kVertices);
}


#endif /* ZORVEL_GL_SCENE_H */
