package test;

/** Ends main with an exception that has a non-ASCII message and a cause. */
public class Throws {
  public static void main(String[] args) {
    throw new IllegalStateException("bad state: Grüße ✓ 𝄞", new IllegalArgumentException("root cause é"));
  }
}
