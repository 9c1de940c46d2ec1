/* korav-bso: the boolean operations on two closed surfaces, for Korav.
 *
 *   korav-bso inter FILE1 FILE2 DIR
 *
 * reads the GTS surfaces FILE1 and FILE2, cuts each along the other, and writes the four parts
 * into DIR: 1in2.gts and 1out2.gts (the part of the first surface inside and outside the
 * second), 2in1.gts and 2out1.gts (likewise for the second). Each surface must be closed and
 * orientable; one that encloses a negative volume is turned round first. Exit status 0 when
 * all four files were written; otherwise a line on standard error and status 1 (usage), 2 (an
 * input cannot be read), 3 (an input is not a closed, orientable surface or cuts itself), 4 (the
 * intersection is not a closed curve) or 5 (a result cannot be written). */
#include <gts.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static GtsSurface* new_surface(void) {
  return gts_surface_new(gts_surface_class(), gts_face_class(), gts_edge_class(),
                         gts_vertex_class());
}

static gint revert_face(gpointer face, gpointer data) {
  (void)data;
  gts_triangle_revert(GTS_TRIANGLE(face));
  return 0;
}

/* Reads and checks one operand; NULL after a message. */
static GtsSurface* read_operand(const char* path, int* status) {
  FILE* fp = fopen(path, "r");
  if (!fp) {
    fprintf(stderr, "korav-bso: cannot open %s\n", path);
    *status = 2;
    return NULL;
  }
  GtsSurface* s = new_surface();
  GtsFile* f = gts_file_new(fp);
  if (gts_surface_read(s, f)) {
    fprintf(stderr, "korav-bso: %s:%d: %s\n", path, f->line, f->error ? f->error : "bad file");
    gts_file_destroy(f);
    fclose(fp);
    gts_object_destroy(GTS_OBJECT(s));
    *status = 2;
    return NULL;
  }
  gts_file_destroy(f);
  fclose(fp);
  if (gts_surface_face_number(s) == 0 || !gts_surface_is_closed(s) ||
      !gts_surface_is_orientable(s)) {
    fprintf(stderr, "korav-bso: %s is not a closed, orientable surface\n", path);
    gts_object_destroy(GTS_OBJECT(s));
    *status = 3;
    return NULL;
  }
  GtsSurface* self = gts_surface_is_self_intersecting(s);
  if (self) {
    fprintf(stderr, "korav-bso: %s intersects itself\n", path);
    gts_object_destroy(GTS_OBJECT(self));
    gts_object_destroy(GTS_OBJECT(s));
    *status = 3;
    return NULL;
  }
  if (gts_surface_volume(s) < 0) gts_surface_foreach_face(s, revert_face, NULL);
  return s;
}

static int write_part(GtsSurfaceInter* si, GtsBooleanOperation op, const char* dir,
                      const char* name) {
  size_t n = strlen(dir) + strlen(name) + 2;
  char* path = malloc(n);
  if (!path) return 0;
  snprintf(path, n, "%s/%s", dir, name);
  GtsSurface* part = new_surface();
  gts_surface_inter_boolean(si, part, op);
  FILE* fp = fopen(path, "w");
  int ok = fp != NULL;
  if (fp) {
    gts_surface_write(part, fp);
    ok = fflush(fp) == 0 && !ferror(fp);
    ok = fclose(fp) == 0 && ok;
  }
  if (!ok) fprintf(stderr, "korav-bso: cannot write %s\n", path);
  gts_object_destroy(GTS_OBJECT(part));
  free(path);
  return ok;
}

int main(int argc, char** argv) {
  if (argc != 5 || strcmp(argv[1], "inter") != 0) {
    fprintf(stderr, "usage: korav-bso inter FILE1 FILE2 DIR\n");
    return 1;
  }
  int status = 0;
  GtsSurface* s1 = read_operand(argv[2], &status);
  if (!s1) return status;
  GtsSurface* s2 = read_operand(argv[3], &status);
  if (!s2) {
    gts_object_destroy(GTS_OBJECT(s1));
    return status;
  }
  GNode* tree1 = gts_bb_tree_surface(s1);
  GNode* tree2 = gts_bb_tree_surface(s2);
  GtsSurfaceInter* si =
      gts_surface_inter_new(gts_surface_inter_class(), s1, s2, tree1, tree2, FALSE, FALSE);
  gboolean closed = TRUE;
  if (!gts_surface_inter_check(si, &closed) || !closed) {
    fprintf(stderr, "korav-bso: the surfaces do not cut each other along closed curves\n");
    status = 4;
  } else {
    static const struct {
      GtsBooleanOperation op;
      const char* name;
    } parts[] = {{GTS_1_IN_2, "1in2.gts"},
                 {GTS_1_OUT_2, "1out2.gts"},
                 {GTS_2_IN_1, "2in1.gts"},
                 {GTS_2_OUT_1, "2out1.gts"}};
    for (size_t i = 0; i < sizeof parts / sizeof parts[0]; ++i)
      if (!write_part(si, parts[i].op, argv[4], parts[i].name)) status = 5;
  }
  gts_object_destroy(GTS_OBJECT(si));
  gts_bb_tree_destroy(tree1, TRUE);
  gts_bb_tree_destroy(tree2, TRUE);
  gts_object_destroy(GTS_OBJECT(s1));
  gts_object_destroy(GTS_OBJECT(s2));
  return status;
}
