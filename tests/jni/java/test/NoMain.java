package test;

/** A class without a static main(String[]). */
public class NoMain {
  public static void run() {}
}
